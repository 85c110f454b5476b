#include "ui/line_monitor.h"

#include "ui/window_monitor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColor>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "text/cp1250.h"
#include "ui/dialogs.h"

namespace vestok {

namespace {

constexpr TMonitorKind kKinds[] = {TMonitorKind::Open,    TMonitorKind::Close,   TMonitorKind::Purge,
                                   TMonitorKind::Deselect, TMonitorKind::Select, TMonitorKind::Command,
                                   TMonitorKind::Ack,     TMonitorKind::Reply,   TMonitorKind::Noise,
                                   TMonitorKind::Timeout, TMonitorKind::Error};

QString DirectionText(TMonitorDirection direction) {
  switch (direction) {
    case TMonitorDirection::ToRegister: return QStringLiteral("PC -> casa");
    case TMonitorDirection::FromRegister: return QStringLiteral("casa -> PC");
    case TMonitorDirection::None: break;
  }
  return QStringLiteral("-");
}

}  // namespace

// The window names the kinds and checks in Romanian; the trace file and a
// copy of the lines keep the tokens of the trace.
QString MonitorKindText(TMonitorKind kind) {
  switch (kind) {
    case TMonitorKind::Open: return QStringLiteral("deschidere");
    case TMonitorKind::Close: return QStringLiteral("inchidere");
    case TMonitorKind::Purge: return QStringLiteral("golire");
    case TMonitorKind::Deselect: return QStringLiteral("deselectare");
    case TMonitorKind::Select: return QStringLiteral("selectare");
    case TMonitorKind::Command: return QStringLiteral("comanda");
    case TMonitorKind::Ack: return QStringLiteral("confirmare");
    case TMonitorKind::Reply: return QStringLiteral("raspuns");
    case TMonitorKind::Noise: return QStringLiteral("zgomot");
    case TMonitorKind::Timeout: return QStringLiteral("timp depasit");
    case TMonitorKind::Error: return QStringLiteral("eroare");
  }
  return QString();
}

QString MonitorCheckText(TMonitorCheck check) {
  switch (check) {
    case TMonitorCheck::Ok: return QStringLiteral("corect");
    case TMonitorCheck::Bad: return QStringLiteral("gresit");
    case TMonitorCheck::None: break;
  }
  return QString();
}

namespace {

bool IsPortEvent(TMonitorKind kind) {
  return kind == TMonitorKind::Open || kind == TMonitorKind::Close || kind == TMonitorKind::Purge;
}

}  // namespace

// ---- TMonitorModel

TMonitorModel::TMonitorModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(std::max<std::size_t>(capacity, 1)) {}

int TMonitorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int TMonitorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

TMonitorLine TMonitorModel::Line(int row) const {
  TMonitorLine line = lines_.at(static_cast<std::size_t>(row));
  line.TimeMs -= base_;
  return line;
}

QVariant TMonitorModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TMonitorLine& line = lines_[static_cast<std::size_t>(index.row())];
  if (role == KindRole) return QString::fromLatin1(MonitorKindName(line.Kind));
  if (role == Qt::ForegroundRole) {
    if (line.Kind == TMonitorKind::Error) return QColor(0xB0, 0x00, 0x00);
    if (IsPortEvent(line.Kind)) return QColor(0x00, 0x40, 0xA0);
    if (line.Kind == TMonitorKind::Timeout || line.Kind == TMonitorKind::Noise) return QColor(0x90, 0x50, 0x00);
    if (line.Check == TMonitorCheck::Bad) return QColor(0xB0, 0x00, 0x00);
    return {};
  }
  if (role == Qt::TextAlignmentRole && (index.column() == ColTime || index.column() == ColRegister))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  // A frame's text and bytes may be longer than their column: the tooltip has them whole.
  if (role == Qt::ToolTipRole && (index.column() == ColText || index.column() == ColBytes))
    return data(index, Qt::DisplayRole);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case ColTime: return QString::number(line.TimeMs - base_, 'f', 3);
    case ColDirection: return DirectionText(line.Direction);
    case ColKind: return MonitorKindText(line.Kind);
    case ColRegister: return line.Register >= 0 ? QString::number(line.Register) : QString();
    case ColText: return QString::fromStdU16String(Cp1250ToUtf16(line.Text));
    case ColCheck: return MonitorCheckText(line.Check);
    case ColBytes: return QString::fromStdString(HexBytes(line.Bytes));
    default: return {};
  }
}

QVariant TMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[ColumnCount] = {"Timp (ms)", "Directie", "Tip", "Casa",
                                                   "Text",      "Control",  "Octeti"};
  return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section]) : QVariant();
}

void TMonitorModel::Append(std::vector<TMonitorLine> lines) {
  if (lines.empty()) return;
  if (lines.size() > capacity_) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(capacity_));
  if (base_ < 0) base_ = lines.front().TimeMs;
  const std::size_t excess = lines_.size() + lines.size() > capacity_ ? lines_.size() + lines.size() - capacity_ : 0;
  if (excess > 0) {
    beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(excess));
    endRemoveRows();
  }
  const int first = static_cast<int>(lines_.size());
  beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
  for (TMonitorLine& line : lines) {
    line.Text.shrink_to_fit();
    line.Bytes.shrink_to_fit();
    lines_.push_back(std::move(line));
  }
  endInsertRows();
}

void TMonitorModel::Clear() {
  beginResetModel();
  lines_.clear();
  lines_.shrink_to_fit();
  base_ = -1;
  endResetModel();
}

// ---- TMonitorFeed

void TMonitorFeed::MonitorLines(const std::vector<TMonitorLine>& lines) {
  std::lock_guard lock(mutex_);
  pending_.insert(pending_.end(), lines.begin(), lines.end());
  // While the window is paused the lines wait here, as many as it would show.
  while (pending_.size() > capacity_) pending_.pop_front();
}

std::vector<TMonitorLine> TMonitorFeed::Take() {
  std::lock_guard lock(mutex_);
  std::vector<TMonitorLine> lines(std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
  pending_.clear();
  return lines;
}

// ---- TfLineMonitor

TfLineMonitor::TfLineMonitor(QWidget* parent, IDialogs* dialogs, std::size_t capacity)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs ? dialogs : &QtDialogs()),
      model_(new TMonitorModel(capacity, this)),
      proxy_(new QSortFilterProxyModel(this)),
      view_(new QTableView(this)),
      timer_(new QTimer(this)),
      feed_(std::make_unique<TMonitorFeed>(capacity)) {
  setObjectName(QStringLiteral("fLineMonitor"));
  setWindowTitle(QStringLiteral("Vestok - Monitor linie"));
  // Within a screen of 800 x 600, beside the main window's title bar.
  resize(780, 480);

  proxy_->setSourceModel(model_);
  proxy_->setFilterRole(TMonitorModel::KindRole);
  proxy_->setFilterKeyColumn(TMonitorModel::ColKind);
  view_->setObjectName(QStringLiteral("tvLines"));
  view_->setModel(proxy_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setWordWrap(false);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->horizontalHeader()->setStretchLastSection(true);
  // The short columns are as wide as their widest text (or title); the
  // frame's text takes what is left of the window, the bytes the rest.
  const QFontMetrics metrics = view_->fontMetrics();
  auto widthFor = [&](int column, QStringList texts) {
    texts << model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    int widest = 0;
    for (const QString& text : texts) widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest + 16;
  };
  QStringList kindTexts;
  for (TMonitorKind kind : kKinds) kindTexts << MonitorKindText(kind);
  view_->setColumnWidth(TMonitorModel::ColTime, widthFor(TMonitorModel::ColTime, {QStringLiteral("99999999.999")}));
  view_->setColumnWidth(TMonitorModel::ColDirection,
                        widthFor(TMonitorModel::ColDirection, {DirectionText(TMonitorDirection::ToRegister),
                                                               DirectionText(TMonitorDirection::FromRegister)}));
  view_->setColumnWidth(TMonitorModel::ColKind, widthFor(TMonitorModel::ColKind, kindTexts));
  view_->setColumnWidth(TMonitorModel::ColRegister, widthFor(TMonitorModel::ColRegister, {QStringLiteral("99")}));
  view_->setColumnWidth(TMonitorModel::ColCheck,
                        widthFor(TMonitorModel::ColCheck, {MonitorCheckText(TMonitorCheck::Ok),
                                                           MonitorCheckText(TMonitorCheck::Bad)}));
  int shortColumns = 0;
  for (int c : {TMonitorModel::ColTime, TMonitorModel::ColDirection, TMonitorModel::ColKind,
                TMonitorModel::ColRegister, TMonitorModel::ColCheck})
    shortColumns += view_->columnWidth(c);
  view_->setColumnWidth(TMonitorModel::ColText, std::max(200, (width() - shortColumns - 40) * 2 / 3));

  cbPause = new QCheckBox(QStringLiteral("&Pauza"), this);
  cbPause->setObjectName(QStringLiteral("cbPause"));
  cbKind = new QComboBox(this);
  cbKind->setObjectName(QStringLiteral("cbKind"));
  cbKind->addItem(QStringLiteral("toate"), QString());
  for (TMonitorKind kind : kKinds) cbKind->addItem(MonitorKindText(kind), QString::fromLatin1(MonitorKindName(kind)));
  btClear = new QPushButton(QStringLiteral("S&terge"), this);
  btClear->setObjectName(QStringLiteral("btClear"));
  btCopy = new QPushButton(QStringLiteral("&Copiaza"), this);
  btCopy->setObjectName(QStringLiteral("btCopy"));
  btSave = new QPushButton(QStringLiteral("&Salveaza..."), this);
  btSave->setObjectName(QStringLiteral("btSave"));

  auto* controls = new QHBoxLayout;
  controls->addWidget(cbPause);
  controls->addWidget(new QLabel(QStringLiteral("Tip:"), this));
  controls->addWidget(cbKind);
  controls->addStretch(1);
  controls->addWidget(btClear);
  controls->addWidget(btCopy);
  controls->addWidget(btSave);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(view_, 1);

  connect(cbKind, &QComboBox::currentIndexChanged, this, &TfLineMonitor::ApplyFilter);
  connect(btClear, &QPushButton::clicked, this, [this] {
    feed_->Take();
    model_->Clear();
  });
  connect(btCopy, &QPushButton::clicked, this, &TfLineMonitor::CopySelected);
  connect(btSave, &QPushButton::clicked, this, &TfLineMonitor::SaveToFile);
  connect(cbPause, &QCheckBox::toggled, this, [this](bool paused) {
    if (!paused) TakeLines();
  });
  connect(timer_, &QTimer::timeout, this, &TfLineMonitor::TakeLines);
  timer_->start(100);

  TLinkMonitor& monitor = WindowLinkMonitor();
  monitor.AddSink(feed_.get());
}

TfLineMonitor::~TfLineMonitor() { WindowLinkMonitor().RemoveSink(feed_.get()); }

void TfLineMonitor::TakeLines() {
  if (cbPause->isChecked()) return;
  std::vector<TMonitorLine> lines = feed_->Take();
  if (lines.empty()) return;
  // The view follows the newest line unless the user has scrolled up.
  const QScrollBar* bar = view_->verticalScrollBar();
  const bool follow = bar->value() >= bar->maximum();
  model_->Append(std::move(lines));
  if (follow) view_->scrollToBottom();
}

void TfLineMonitor::ApplyFilter() {
  const QString kind = cbKind->currentData().toString();
  proxy_->setFilterRegularExpression(kind.isEmpty() ? QRegularExpression()
                                                    : QRegularExpression(QStringLiteral("^%1$").arg(kind)));
}

QString TfLineMonitor::LinesText(bool selectedOnly) const {
  std::vector<int> rows;
  if (selectedOnly) {
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) rows.push_back(proxy_->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
  } else {
    for (int r = 0; r < proxy_->rowCount(); ++r) rows.push_back(proxy_->mapToSource(proxy_->index(r, 0)).row());
  }
  std::string text;
  for (int row : rows) {
    text += TraceLine(model_->Line(row));
    text += '\n';
  }
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void TfLineMonitor::CopySelected() { QApplication::clipboard()->setText(LinesText(true)); }

void TfLineMonitor::SaveToFile() {
  TFileDialogSpec spec;
  spec.Title = QStringLiteral("Salveaza monitorul liniei");
  spec.Filters = {QStringLiteral("Text (*.txt)"), QStringLiteral("Toate fisierele (*)")};
  spec.DefaultExtension = QStringLiteral("txt");
  const std::optional<QString> name = dialogs_->SaveFileName(this, spec);
  if (!name) return;
  QFile file(*name);
  const QByteArray bytes = LinesText(false).toUtf8();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    dialogs_->Message(this, TMessageKind::Error, QStringLiteral("Nu se poate salva fisierul specificat!"),
                      TMessageButtons::Ok);
  }
}

QAction* CreateLineMonitorAction(QWidget* window, IDialogs* dialogs) {
  auto* action = new QAction(QStringLiteral("&Monitor linie..."), window);
  action->setObjectName(QStringLiteral("aSettingsLineMonitor"));
  const QString hint = QStringLiteral("Arata octetii schimbati cu casa de marcat, cadru cu cadru");
  action->setToolTip(hint);
  action->setStatusTip(hint);
  QObject::connect(action, &QAction::triggered, window, [window, dialogs] {
    auto* monitor = window->findChild<TfLineMonitor*>(QStringLiteral("fLineMonitor"), Qt::FindDirectChildrenOnly);
    if (!monitor) monitor = new TfLineMonitor(window, dialogs);
    monitor->show();
    monitor->raise();
    monitor->activateWindow();
  });
  return action;
}

}  // namespace vestok
