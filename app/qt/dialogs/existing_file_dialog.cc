#include "dialogs/existing_file_dialog.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tarvo {

namespace {

// The dialog's results; 0 (Esc, the close box) keeps both.
constexpr int kReplaceResult = 1;
constexpr int kSkipResult = 2;

}  // namespace

ExistingFileDialog::ExistingFileDialog(const QString& text, QWidget* parent)
    : TarvoDialog(QStringLiteral("DLG_EXIST"), tr("File already exists"), parent) {
  auto* controls = new QVBoxLayout;
  controls->addWidget(new QLabel(text, this));
  forAll_ = new QCheckBox(tr("Apply to all"), this);
  forAll_->setObjectName(QStringLiteral("333"));
  controls->addWidget(forAll_);
  QPushButton* replace = MakeButton(330, tr("Replace"));
  QPushButton* skip = MakeButton(331, tr("Skip"));
  QPushButton* keep = MakeButton(332, tr("Keep both"));
  keep->setDefault(true);
  connect(replace, &QPushButton::clicked, this, [this] { done(kReplaceResult); });
  connect(skip, &QPushButton::clicked, this, [this] { done(kSkipResult); });
  connect(keep, &QPushButton::clicked, this, [this] { done(0); });
  Arrange(controls, ButtonRow({replace, skip, keep}));
}

ExistingFileAnswer ExistingFileDialog::answer() const {
  ExistingFileAnswer answer;
  if (result() == kReplaceResult) answer.action = ExistingFileAction::kReplace;
  if (result() == kSkipResult) answer.action = ExistingFileAction::kSkip;
  answer.forAll = forAll_->isChecked();
  return answer;
}

}  // namespace tarvo
