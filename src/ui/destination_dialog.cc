#include "ui/destination_dialog.h"

#include "base/utf8.h"
#include "transfer/pc_file_name.h"
#include "ui/context.h"
#include "ui/menu_model.h"
#include "ui/name_dialog.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

constexpr std::size_t kNewDirectoryLength = 39;
constexpr const char* kTextCannotCreateDirectory = "Unable to create the directory ";

std::string NewDirectoryProposal(const MessageTable& messages);

}  // namespace

int ChooseTargetDirectory(Context& ctx, int command) {
  HostPcDirectories pc;
  DestinationDialog dialog(ctx, pc, command);
  ctx.ui->RunDestinationDialog(dialog);
  return dialog.result();
}

DestinationDialog::DestinationDialog(Context& ctx, PcDirectories& pc, int command)
    : ctx_(ctx), browser_(ctx, pc), confirmCaption_(command == kMenuCopyToPc ? "Copy in current directory" : "OK") {}

void DestinationDialog::Root() { browser_.Root(); }

void DestinationDialog::Parent() { browser_.Parent(); }

void DestinationDialog::OpenDirectory(std::size_t index) { browser_.OpenDirectory(index); }

void DestinationDialog::OpenDrive(std::size_t index) { browser_.OpenDrive(index); }

void DestinationDialog::CreateNew() {
  NameDialog ask("DLG_NOUV", "New Directory", "", NewDirectoryProposal(ctx_.messages), kNewDirectoryLength);
  ctx_.ui->RunNameDialog(ask);
  if (!ask.result()) return;
  const std::string name = AnsiToUtf8(SafePcName(*ask.result()));
  if (!browser_.pc().Create(name) || !browser_.Enter(name)) {
    MessageDialog(ctx_, kTextCannotCreateDirectory + *ask.result());
  }
}

void DestinationDialog::Confirm() { Finish(1); }

void DestinationDialog::Cancel() { Finish(0); }

void DestinationDialog::ApplyAnswer(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return Confirm();
  if (a == "cancel") return Cancel();
  if (a == "new") return CreateNew();
  browser_.Navigate(text);
}

void DestinationDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

namespace {

// "<DIR> " without its brackets and blank.
std::string NewDirectoryProposal(const MessageTable& messages) {
  std::string text;
  for (char c : messages[kMsgDirTag]) {
    if (c != '<' && c != '>' && c != ' ') text += c;
  }
  return text;
}

}  // namespace

}  // namespace tarvo
