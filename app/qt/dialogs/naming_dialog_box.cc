#include "dialogs/naming_dialog_box.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <iterator>

namespace tarvo {

namespace {

constexpr int kFirstModeId = 410;
// The copy modes' buttons, in the order of kCopyModeNames.
constexpr const char* kModeTexts[] = {QT_TRANSLATE_NOOP("NamingDialogBox", "Data fork"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "Resource fork"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "MacBinary II"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "BinHex 4.0"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "AppleSingle"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "AppleDouble"),
                                      QT_TRANSLATE_NOOP("NamingDialogBox", "Text")};
static_assert(std::size(kModeTexts) == std::size(kCopyModeNames));

}  // namespace

NamingDialogBox::NamingDialogBox(NamingDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_OPT"), tr("Advanced copy options"), parent) {
  auto* box = new QGroupBox(tr("Filenaming convention"), this);
  auto* radios = new QVBoxLayout(box);
  const QStringList texts{tr("Long file names"), tr("Short file names"), tr("Renaming on the fly")};
  for (int mode = 0; mode < texts.size(); ++mode) {
    auto* radio = new QRadioButton(texts[mode], box);
    radio->setObjectName(QString::number(400 + mode));
    group_.addButton(radio, mode);
    radios->addWidget(radio);
  }
  connect(&group_, &QButtonGroup::idClicked, this,
          [this](int mode) { Apply([&] { model_.Click(static_cast<NamingMode>(mode)); }); });
  auto* modeBox = new QGroupBox(tr("Copy mode"), this);
  auto* modeRadios = new QVBoxLayout(modeBox);
  for (int i = 0; i < static_cast<int>(std::size(kModeTexts)); ++i) {
    auto* radio = new QRadioButton(tr(kModeTexts[i]), modeBox);
    radio->setObjectName(QString::number(kFirstModeId + i));
    modes_.addButton(radio, i);
    modeRadios->addWidget(radio);
  }
  connect(&modes_, &QButtonGroup::idClicked, this,
          [this](int i) { Apply([&] { model_.ClickCopyMode(kCopyModeNames[i].bit); }); });
  auto* controls = new QHBoxLayout;
  controls->addWidget(box);
  controls->addWidget(modeBox);
  auto [ok, cancel] = MakeModelOkCancel();
  Arrange(controls, ButtonColumn({ok, cancel}));
  Sync();
}

void NamingDialogBox::Sync() {
  if (QAbstractButton* checked = group_.button(static_cast<int>(model_.checked()))) checked->setChecked(true);
  for (int i = 0; i < static_cast<int>(std::size(kCopyModeNames)); ++i) {
    if (kCopyModeNames[i].bit == model_.copyMode()) modes_.button(i)->setChecked(true);
  }
}

}  // namespace tarvo
