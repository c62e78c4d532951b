#include "dialogs/rescue_dialog_box.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/program_settings.h"
#include "qt_text.h"

namespace tarvo {

namespace {

constexpr int kRefreshMs = 100;

QLabel* Field(int id, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::number(id));
  label->setMinimumWidth(200);
  return label;
}

QRadioButton* Radio(int id, const QString& text, QWidget* parent) {
  auto* radio = new QRadioButton(text, parent);
  radio->setObjectName(QString::number(id));
  return radio;
}

}  // namespace

RescueDialogBox::RescueDialogBox(RescueDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_RECUP"), tr("Rescue Scanning"), parent) {
  sector_ = Field(1141, this);
  file_ = Field(1142, this);
  number_ = Field(1143, this);
  status_ = Field(1148, this);
  auto* modes = new QGroupBox(tr("Copy Mode"), this);
  data_ = Radio(1144, tr("&Data"), modes);
  resource_ = Radio(1145, tr("&Resource"), modes);
  binary_ = Radio(1146, tr("&Binary"), modes);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* radio : {data_, resource_, binary_}) group->addButton(radio);
  connect(data_, &QRadioButton::clicked, this, [this] { Choose(kCopyData); });
  connect(resource_, &QRadioButton::clicked, this, [this] { Choose(kCopyResource); });
  connect(binary_, &QRadioButton::clicked, this, [this] { Choose(kCopyMacBinary); });

  parameters_ = MakeButton(1147, tr("&Parameters"));
  QPushButton* cancel = MakeButton(100, tr("Cancel"));
  QPushButton* start = MakeButton(101, tr("&Start"));
  start->setDefault(true);
  connect(parameters_, &QPushButton::clicked, this, [this] { Apply([&] { model_.Parameters(); }); });
  connect(cancel, &QPushButton::clicked, this, [this] { Apply([&] { model_.Cancel(); }); });
  connect(start, &QPushButton::clicked, this, [this] {
    refresh_.start();
    Apply([&] { model_.Start(); });
    refresh_.stop();
  });
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &RescueDialogBox::ShowFields);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(tr("Sector:"), this), 0, 0);
  fields->addWidget(sector_, 0, 1);
  fields->addWidget(new QLabel(tr("File:"), this), 1, 0);
  fields->addWidget(file_, 1, 1);
  fields->addWidget(new QLabel(tr("Number:"), this), 2, 0);
  fields->addWidget(number_, 2, 1);
  auto* modeLayout = new QVBoxLayout(modes);
  for (QRadioButton* radio : {data_, resource_, binary_}) modeLayout->addWidget(radio);
  auto* top = new QHBoxLayout;
  top->addLayout(fields, 1);
  top->addWidget(modes);
  auto* controls = new QVBoxLayout;
  controls->addLayout(top);
  controls->addWidget(status_);
  Arrange(controls, ButtonRow({cancel, start}, {parameters_}));
  Sync();
}

void RescueDialogBox::Sync() {
  ShowFields();
  const std::uint16_t mode = model_.copyMode();
  data_->setChecked(mode == kCopyData);
  resource_->setChecked(mode == kCopyResource);
  binary_->setChecked(mode == kCopyMacBinary);
  parameters_->setEnabled(model_.parametersEnabled());
}

void RescueDialogBox::ShowFields() {
  const RescueFields& fields = model_.fields();
  sector_->setText(FromAnsi(fields.sector));
  file_->setText(FromAnsi(fields.file));
  number_->setText(FromAnsi(fields.number));
  status_->setText(FromAnsi(fields.status));
}

void RescueDialogBox::Choose(std::uint16_t mode) {
  Apply([&] { model_.ChooseCopyMode(mode); });
}

}  // namespace tarvo
