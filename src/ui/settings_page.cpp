#include "ui/settings_page.h"

#include <QApplication>
#include <algorithm>
#include <QComboBox>
#include <QLabel>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <charconv>
#include <initializer_list>
#include <string>
#include <vector>

#include "tables/table_errors.h"
#include "text/ascii.h"

namespace vestok {

namespace {

struct TSettingsRow {
  const char* caption;
  const char* edit;
  const char* field;
  const char* combo;  // nullptr for the first row
  std::initializer_list<const char*> choices;
};

// Row 0 is the logical number; rows 1 to 15 are Tags 1 to 15. A choice's
// position in its list is the number stored for it. The texts are shown
// letter for letter: the speeds begin with two blanks, the second choice of
// DiscOper ends with one.
const TSettingsRow kRows[TSettingsPage::kTagCount + 1] = {
    {"Numar logic:", "dbeLogicalNo", "LogicalNo", nullptr, {}},
    {"Tipul cantarelor conectate:", "dbeConnScalesType", "ScalesType", "cbConnScalesType",
     {"Nu se lucreaza cu cantare (port rezervat pt terminal bancar)", "Cantare tip CAS/angel", "Cantare tip Dibal",
      "Cantare tip Datecs"}},
    {"Deschidere sertar dupa total:", "dbeOpenDrw", "OpenDrawer", "cbOpenDrw",
     {"Numai dupa o comanda de incasare - fara vanzare", "Dupa fiecare comanda de incasare"}},
    {"Introducere obligatorie a sumei platite:", "dbeAmoRequired", "InputAmount", "cbAmoRequired",
     {"Nu este obligatorie introducerea sumei platite", "Este obligatorie introducerea sumei platite"}},
    {"Este permis rest in cazul platii cu CEC:", "dbeNoChangeToCheque", "NoChangeToCheque", "cbNoChangeToCheque",
     {"Da, se poate da rest in caz de plata cu CEC", "Nu, nu se poate da rest la plata cu CEC"}},
    {"Economie curent prin stingere ecran ECR:", "dbePowerSave", "PowerSave", "cbPowerSave",
     {"Nu se stinge ecranul", "Ecranul este stins dupa 5 minute fara apasarea nici unui buton"}},
    {"Programare permisa in modul de lucru de vanzare:", "dbeProgInRec", "ProgWhileInRec", "cbProgInRec",
     {"Nu este permisa programarea", "Este permisa programarea"}},
    {"Tip de comunicatie in modul de lucru vanzare:", "dbeCommType", "CommType", "cbCommType",
     {"", "Fara raportare", "Cu raportare catre PC dupa fiecare tranzactie"}},
    {"Viteza de comunicatie cu calculatorul:", "dbeCommSpeed", "CommSpeed", "cbCommSpeed",
     {"", "  1200 BPS", "  2400 BPS", "  4800 BPS", "  9600 BPS"}},
    {"Golire memorie vanzari zilnice la raport Z:", "dbeBalance", "Balance", "cbBalance", {"Da", "Nu"}},
    {"Modul de lucru cu articolele ce nu sunt programate in memorie:", "dbeAskForArticle", "ItemsNotProg",
     "cbAskForArticle",
     {"Nu se lucreaza cu articole ce nu sunt programate in memorie",
      "Se solicita articolul de la PC, se programeaza in memorie si se vinde",
      "Se solicita articolul de la PC si se vinde (memoria ECR este plina)",
      "Se solicita articolul de la PC si se vinde (memoria ECR goala)"}},
    {"Deconectare operator dupa fiecare bon:", "dbeLogOut", "DiscOper", "cbLogOut",
     {"Operatorul curent nu este deconectat", "Operatorul curent este deconectat "}},
    {"Afisare total in moneda secundara:", "dbePrintTotInAdCur", "ShowTotInAdCurency", "cbPrintTotInAdCur",
     {"Nu este folosita moneda suplimentara", "Este afisat totalul si in moneda suplimentara si paritatea"}},
    {"Indice moneda principala:", "dbeMainCurency", "MainCurency", "cbMainCurency",
     {"Prima moneda este cea principala (cea din stanga)", "A doua moneda este cea principala (cea din dreapta)"}},
    {"Se lucreaza cu preturi care nu includ TVA:", "dbeNoVATPrices", "NoVATPrices", "cbNoVATPrices",
     {"Preturile programate in memoria ECR contin TVA", "Preturile programate in memoria ECR nu contin TVA"}},
    {"Se lucreaza fara parole:", "dbeNoPass", "NoPass", "cbNoPass",
     {"Este solicitata introducerea parolei", "Nu este solicitata introducerea parolei"}},
};

constexpr int kTop = 8;
constexpr int kLeft = 8;
constexpr int kBoxWidth = 41;
constexpr int kControlHeight = 21;
constexpr int kGap = 8;
// The narrowest caption column and list a page squeezed below its natural width keeps.
constexpr int kMinCaptionWidth = 160;
constexpr int kMinListWidth = 120;

// The box's text as a whole decimal number; any other text (an empty box
// included) counts as 0.
int BoxNumber(const QString& text) {
  const std::string bytes = text.toStdString();
  std::string_view t = TrimBlanks(bytes);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  int value = 0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) return 0;
  return value;
}

}  // namespace

std::string_view TSettingsPage::FieldOfTag(int tag) {
  return tag >= 0 && tag <= kTagCount ? std::string_view(kRows[tag].field) : std::string_view();
}

TSettingsPage::TSettingsPage(DocumentTable& settings, QWidget* parent) : QWidget(parent), table_(settings) {
  setObjectName(QStringLiteral("pECRSettings"));
  const auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]*")), this);
  for (int row = 0; row <= kTagCount; ++row) {
    const TSettingsRow& spec = kRows[row];
    fields_[std::size_t(row)] = table_.FieldIndex(spec.field);
    captions_[std::size_t(row)] = new QLabel(QString::fromLatin1(spec.caption), this);

    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(spec.edit));
    edit->setValidator(validator);
    edit->setProperty("Tag", row);
    connect(edit, &QLineEdit::editingFinished, this, [this, row] { CommitBox(row); });
    if (row == 0) {
      dbeLogicalNo = edit;
      continue;
    }
    SettingsEdits[std::size_t(row)] = edit;
    connect(edit, &QLineEdit::textChanged, this, [this, row] { dbeChange(row); });

    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(spec.combo));
    combo->setProperty("Tag", row);
    for (const char* choice : spec.choices) combo->addItem(QString::fromLatin1(choice));
    combo->setCurrentIndex(-1);  // nothing shown before a value is
    combo->setMaxVisibleItems(int(spec.choices.size()));
    // The open list shows each choice whole, also when the page is narrow.
    combo->view()->setTextElideMode(Qt::ElideNone);
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 2 * combo->view()->frameWidth());
    connect(combo, &QComboBox::activated, this, [this, row](int index) { cbSettingsChange(row, index); });
    SettingsCombos[std::size_t(row)] = combo;
  }
  // A caption keeps its one line while the page is wide enough; on a narrow
  // page the long ones wrap so that the lists keep room for their choices.
  for (std::size_t row = 0; row < captions_.size(); ++row) {
    captionWidths_[row] = captions_[row]->sizeHint().width();
    widestCaption_ = std::max(widestCaption_, captionWidths_[row]);
    captions_[row]->setWordWrap(true);
  }
  for (int tag = 1; tag <= kTagCount; ++tag)
    listWidth_ = std::max(listWidth_, SettingsCombos[std::size_t(tag)]->sizeHint().width());
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setMinimumWidth(kLeft + kMinCaptionWidth + kGap + kBoxWidth + kGap + kMinListWidth + kGap);
  LayOutRows(sizeHint().width(), true);  // until the page gets its size
  table_.AddObserver(this);
  Refresh();
}

TSettingsPage::~TSettingsPage() { table_.RemoveObserver(this); }

int TSettingsPage::CaptionColumn(int width) const {
  const int room = width - (kLeft + kGap + kBoxWidth + kGap + listWidth_ + kGap);
  return std::clamp(room, kMinCaptionWidth, std::max(widestCaption_, kMinCaptionWidth));
}

int TSettingsPage::CaptionHeight(int row, int column) const {
  const QLabel* caption = captions_[std::size_t(row)];
  if (captionWidths_[std::size_t(row)] <= column) return caption->fontMetrics().height();
  return caption->heightForWidth(column);
}

int TSettingsPage::LayOutRows(int width, bool place) const {
  const int column = CaptionColumn(width);
  const int listLeft = kLeft + column + kGap + kBoxWidth + kGap;
  const int listWidth = std::max(kMinListWidth, width - listLeft - kGap);
  int y = kTop;
  for (int row = 0; row <= kTagCount; ++row) {
    // One-line rows stand kRowPitch apart; a wrapped caption makes its row taller.
    const int captionHeight = CaptionHeight(row, column);
    const int line = std::max(kControlHeight, captionHeight);
    if (place) {
      captions_[std::size_t(row)]->setGeometry(kLeft, y + (line - captionHeight) / 2, column, captionHeight);
      const int controlTop = y + (line - kControlHeight) / 2;
      Edit(row)->setGeometry(kLeft + column + kGap, controlTop, kBoxWidth, kControlHeight);
      if (row > 0) SettingsCombos[std::size_t(row)]->setGeometry(listLeft, controlTop, listWidth, kControlHeight);
    }
    y += line + (kRowPitch - kControlHeight);
  }
  return y - (kRowPitch - kControlHeight) + kTop;
}

QSize TSettingsPage::sizeHint() const {
  const int width = kLeft + widestCaption_ + kGap + kBoxWidth + kGap + listWidth_ + kGap;
  return {width, heightForWidth(width)};
}

int TSettingsPage::heightForWidth(int width) const {
  return LayOutRows(width, false);
}

void TSettingsPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutRows(width(), true);
}

void TSettingsPage::Refresh() {
  if (writing_) return;
  const bool hasRecord = table_.IsOpen() && table_.CurrentRow() != DocumentTable::npos;
  for (int row = 0; row <= kTagCount; ++row) {
    const int field = fields_[std::size_t(row)];
    const QString text =
        hasRecord && field >= 0 ? QString::fromStdString(table_.AsText(field)) : QString();
    QLineEdit* edit = Edit(row);
    // An unchanged text is no change: the list keeps what it shows.
    if (edit->text() != text) edit->setText(text);
    edit->setModified(false);
  }
}

void TSettingsPage::dbeChange(int tag) {
  if (tag < 1 || tag > kTagCount) return;
  QComboBox* combo = SettingsCombos[std::size_t(tag)];
  const int position = BoxNumber(SettingsEdits[std::size_t(tag)]->text());
  // A position outside the list leaves it with nothing selected.
  combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
}

bool TSettingsPage::CommitBox(int row, bool refresh) {
  QLineEdit* edit = Edit(row);
  const int field = fields_[std::size_t(row)];
  if (!edit->isModified() || field < 0 || !table_.IsOpen()) return true;
  const std::string text(TrimBlanks(edit->text().toStdString()));
  const bool hasRecord = table_.CurrentRow() != DocumentTable::npos;
  if ((hasRecord ? table_.AsText(field) : std::string()) == text) {
    edit->setModified(false);
    return true;
  }
  bool stored = true;
  writing_ = true;
  try {
    if (!hasRecord) table_.Append();
    table_.SetText(field, text);
    table_.Post();
  } catch (const TableError&) {
    // Not a 32-bit integer: the record keeps its value (and an empty table
    // gets no record for it).
    table_.Cancel();
    stored = false;
  }
  writing_ = false;
  if (!stored) {
    const bool still = table_.CurrentRow() != DocumentTable::npos;
    edit->setText(still ? QString::fromStdString(table_.AsText(field)) : QString());
    edit->setModified(false);
    QApplication::beep();
  } else if (refresh) {
    Refresh();
  }
  return stored;
}

void TSettingsPage::Commit() {
  // Every typed box is written before the boxes show the record again, so
  // that one box's write does not wipe what was typed into another.
  bool wrote = false;
  for (int row = 0; row <= kTagCount; ++row)
    if (Edit(row)->isModified()) {
      CommitBox(row, false);
      wrote = true;
    }
  if (wrote) Refresh();
}

void TSettingsPage::cbSettingsChange(int tag, int index) {
  if (tag < 1 || tag > kTagCount) return;
  QComboBox* combo = SettingsCombos[std::size_t(tag)];
  const int field = fields_[std::size_t(tag)];
  if (index < 0 || index >= combo->count() || combo->itemText(index).isEmpty() || field < 0 || !table_.IsOpen()) {
    // Nothing is stored for the empty item; the list goes back to showing
    // what the box holds rather than a choice that is not stored.
    dbeChange(tag);
    return;
  }
  Commit();  // a number typed elsewhere is not lost by the pick
  writing_ = true;
  if (table_.CurrentRow() == DocumentTable::npos)
    table_.Append();
  else
    table_.Edit();
  table_.SetInteger(field, index);
  table_.Post();
  writing_ = false;
  Refresh();
}

}  // namespace vestok
