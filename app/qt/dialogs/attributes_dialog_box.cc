#include "dialogs/attributes_dialog_box.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogs/extents_dialog.h"
#include "qt_text.h"

namespace tarvo {

namespace {

constexpr int kFirstCreatedId = 118;
constexpr int kFirstModifiedId = 123;
// Day, month, year, hour, minute.
constexpr std::array<int, 5> kDateFieldLengths{2, 2, 3, 2, 2};

QLineEdit* Edit(int id, int maxLength, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->setMaxLength(maxLength);
  return edit;
}

QLabel* Length(int id, const std::string& text, QWidget* parent) {
  auto* label = new QLabel(FromAnsi(text), parent);
  label->setObjectName(QString::number(id));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setMinimumWidth(90);
  return label;
}

// One date row: day / month / year, then "Time" hour : minute.
void AddDateRow(QGridLayout* grid, int row, const QString& title, std::array<QLineEdit*, 5>& edits, int firstId,
                QWidget* parent) {
  grid->addWidget(new QLabel(title, parent), row, 0);
  for (std::size_t i = 0; i < edits.size(); ++i) {
    edits[i] = Edit(firstId + static_cast<int>(i), kDateFieldLengths[i], parent);
    edits[i]->setFixedWidth(40);
  }
  grid->addWidget(edits[0], row, 1);
  grid->addWidget(new QLabel(QStringLiteral("/"), parent), row, 2);
  grid->addWidget(edits[1], row, 3);
  grid->addWidget(new QLabel(QStringLiteral("/"), parent), row, 4);
  grid->addWidget(edits[2], row, 5);
  grid->addWidget(new QLabel(QObject::tr("Time"), parent), row, 6);
  grid->addWidget(edits[3], row, 7);
  grid->addWidget(new QLabel(QStringLiteral(":"), parent), row, 8);
  grid->addWidget(edits[4], row, 9);
}

DateTexts Texts(const std::array<QLineEdit*, 5>& edits) {
  DateTexts texts;
  for (std::size_t i = 0; i < edits.size(); ++i) texts[i] = ToAnsi(edits[i]->text());
  return texts;
}

void Show(const std::array<QLineEdit*, 5>& edits, const DateTexts& texts) {
  for (std::size_t i = 0; i < edits.size(); ++i) edits[i]->setText(FromAnsi(texts[i]));
}

}  // namespace

AttributesDialogBox::AttributesDialogBox(AttributesDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_ATTR"), tr("File Attributes"), parent) {
  name_ = Edit(516, 31, this);
  name_->setMinimumWidth(240);
  creator_ = Edit(538, 4, this);
  type_ = Edit(539, 4, this);

  auto* top = new QGridLayout;
  top->addWidget(new QLabel(tr("Filename"), this), 0, 0);
  top->addWidget(name_, 0, 1, 1, 3);
  auto* signature = new QGroupBox(tr("Signature"), this);
  auto* signatureLayout = new QGridLayout(signature);
  signatureLayout->addWidget(new QLabel(tr("Creator"), signature), 0, 0);
  signatureLayout->addWidget(creator_, 0, 1);
  signatureLayout->addWidget(new QLabel(tr("Filetype"), signature), 0, 2);
  signatureLayout->addWidget(type_, 0, 3);
  auto* dates = new QGridLayout;
  AddDateRow(dates, 0, tr("Creation Date"), created_, kFirstCreatedId, this);
  AddDateRow(dates, 1, tr("Last Mod. Date"), modified_, kFirstModifiedId, this);
  auto* lengths = new QGroupBox(tr("Filelength"), this);
  auto* lengthLayout = new QGridLayout(lengths);
  lengthLayout->addWidget(new QLabel(tr("Data fork"), lengths), 0, 0);
  lengthLayout->addWidget(Length(536, model.dataLength(), lengths), 0, 1);
  lengthLayout->addWidget(new QLabel(tr("Resource fork"), lengths), 0, 2);
  lengthLayout->addWidget(Length(537, model.resourceLength(), lengths), 0, 3);

  QPushButton* identification = MakeButton(131, tr("Identification"));
  identification->setEnabled(false);
  QPushButton* advanced = MakeButton(130, tr("Advanced"));
  QPushButton* write = MakeButton(540, tr("Write"));
  write->setEnabled(!model.readOnly());
  write->setDefault(!model.readOnly());
  QPushButton* quit = MakeButton(541, tr("Quit"));
  connect(advanced, &QPushButton::clicked, this, [this] {
    Apply([&] {
      TakeEdits();  // the edits typed so far survive the visit
      model_.Advanced();
    });
    ShowExtents();
  });
  connect(write, &QPushButton::clicked, this, [this] {
    Apply([&] {
      TakeEdits();
      model_.Write();
    });
  });
  connect(quit, &QPushButton::clicked, this, [this] { Apply([&] { model_.Quit(); }); });

  auto* controls = new QVBoxLayout;
  controls->addLayout(top);
  controls->addWidget(signature);
  controls->addLayout(dates);
  controls->addWidget(lengths);
  Arrange(controls, ButtonRow({write, quit}, {identification, advanced}));
  Sync();
  name_->selectAll();
  name_->setFocus();
}

void AttributesDialogBox::Sync() {
  name_->setText(FromAnsi(model_.name()));
  creator_->setText(FromAnsi(model_.creator()));
  type_->setText(FromAnsi(model_.type()));
  Show(created_, model_.created());
  Show(modified_, model_.modified());
}

// DLG_ATT2 runs over this dialog, with its help and moves passed on.
void AttributesDialogBox::ShowExtents() {
  if (!model_.showExtents()) return;
  ExtentsDialog extents(model_.extents(), this);
  connect(&extents, &TarvoDialog::helpRequested, this, &TarvoDialog::helpRequested);
  connect(&extents, &TarvoDialog::userMoved, this, &TarvoDialog::userMoved);
  extents.RunModal();
  model_.ExtentsClosed();
}

void AttributesDialogBox::TakeEdits() {
  model_.SetName(ToAnsi(name_->text()));
  model_.SetCreator(ToAnsi(creator_->text()));
  model_.SetType(ToAnsi(type_->text()));
  model_.SetCreated(Texts(created_));
  model_.SetModified(Texts(modified_));
}

}  // namespace tarvo
