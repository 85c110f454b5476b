#pragma once
// The line monitor window: one line per frame of the register link (time,
// direction, kind, register, decoded text, check, bytes), port events and
// failure reasons in colour. It may stay open beside the main window while
// the link is used; the lines come from the link's users on any thread and
// are taken over on the user-interface thread by a timer.
#include <QAbstractTableModel>
#include <QWidget>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "monitor/link_monitor.h"

class QAction;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

namespace vestok {

class IDialogs;

// The Romanian names the window shows for the kinds and checks of the trace.
QString MonitorKindText(TMonitorKind kind);
QString MonitorCheckText(TMonitorCheck check);

// The lines shown: a ring that keeps the newest `capacity` lines.
class TMonitorModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr std::size_t DefaultCapacity = 200000;
  enum Column { ColTime, ColDirection, ColKind, ColRegister, ColText, ColCheck, ColBytes, ColumnCount };
  static constexpr int KindRole = Qt::UserRole;

  explicit TMonitorModel(std::size_t capacity = DefaultCapacity, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void Append(std::vector<TMonitorLine> lines);
  void Clear();
  std::size_t Capacity() const { return capacity_; }
  // A line with its time counted from the first line shown.
  TMonitorLine Line(int row) const;

 private:
  std::size_t capacity_;
  std::deque<TMonitorLine> lines_;
  double base_ = -1;  // time of the first line since the last clear
};

// Lines from the link, held until the window's thread takes them.
class TMonitorFeed final : public ILinkMonitorSink {
 public:
  explicit TMonitorFeed(std::size_t capacity) : capacity_(capacity) {}
  void MonitorLines(const std::vector<TMonitorLine>& lines) override;
  std::vector<TMonitorLine> Take();

 private:
  std::mutex mutex_;
  std::size_t capacity_;
  std::deque<TMonitorLine> pending_;
};

class TfLineMonitor final : public QWidget {
  Q_OBJECT
 public:
  explicit TfLineMonitor(QWidget* parent = nullptr, IDialogs* dialogs = nullptr,
                         std::size_t capacity = TMonitorModel::DefaultCapacity);
  ~TfLineMonitor() override;

  TMonitorModel* Model() const { return model_; }
  QTableView* View() const { return view_; }
  // Takes over the lines that have come (the timer does it every 100 ms).
  void TakeLines();
  // The lines shown (after the filter) as text, one per line, as the trace
  // file holds them; `selectedOnly` for the selected ones.
  QString LinesText(bool selectedOnly) const;
  void CopySelected();
  void SaveToFile();

  QCheckBox* cbPause = nullptr;
  QComboBox* cbKind = nullptr;
  QPushButton* btClear = nullptr;
  QPushButton* btCopy = nullptr;
  QPushButton* btSave = nullptr;

 private:
  void ApplyFilter();

  IDialogs* dialogs_;
  TMonitorModel* model_;
  QSortFilterProxyModel* proxy_;
  QTableView* view_;
  QTimer* timer_;
  std::unique_ptr<TMonitorFeed> feed_;
};

// "&Monitor linie..." of the main window's "&Setari" menu: shows the window
// (created on first use as a child window of `window`) and brings it forward.
QAction* CreateLineMonitorAction(QWidget* window, IDialogs* dialogs);

}  // namespace vestok
