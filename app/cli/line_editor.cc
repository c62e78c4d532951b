#include "line_editor.h"

#include <editline/readline.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tarvo {

namespace {

// libedit's character hook takes no argument of its own: the editor's
// input lives here while the one editor of the program exists.
LineInput* gInput = nullptr;

// One character of the UTF-8 the terminal sends, as its code point; a
// byte that does not fit stands for U+FFFD. A Ctrl-C ends readline as the
// end of input would; the editor tells them apart by the flag it leaves
// noted.
int ReadEditorCharacter(std::FILE*) {
  InputByte next = gInput->ReadByte(true);
  if (next.kind != InputByte::kByte) return EOF;
  const auto lead = static_cast<unsigned char>(next.byte);
  if (lead < 0x80) return lead;
  const int following = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (following == 0 || lead > 0xF4) return 0xFFFD;
  int code = lead & (0x3F >> following);
  for (int i = 0; i < following; ++i) {
    next = gInput->ReadByte(true);
    if (next.kind != InputByte::kByte) return EOF;
    const auto byte = static_cast<unsigned char>(next.byte);
    if ((byte & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (byte & 0x3F);
  }
  return code;
}

}  // namespace

LineEditor::LineEditor(LineInput& input) {
  gInput = &input;
  // The program's own Ctrl-C handler stays in place.
  rl_catch_signals = 0;
  rl_getc_function = ReadEditorCharacter;
  rl_instream = stdin;
  rl_outstream = stderr;
}

LineEditor::~LineEditor() {
  clear_history();
  gInput = nullptr;
}

// libedit turns characters into text by the C library's locale: UTF-8
// while it edits, as the program takes the terminal's text to be, and the
// program's own locale again afterwards.
InputLine LineEditor::Read(const std::string& prompt) {
  const std::string programLocale = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C.UTF-8");
  const std::unique_ptr<char, decltype(&std::free)> text(readline(prompt.c_str()), &std::free);
  const bool interrupted = LineInput::TakeInterrupt();
  const bool blank = text == nullptr || std::string_view(text.get()).find_first_not_of(" \t") == std::string_view::npos;
  if (!interrupted && !blank) add_history(text.get());
  std::setlocale(LC_CTYPE, programLocale.c_str());
  if (interrupted) return {InputLine::kInterrupted, {}};
  if (text == nullptr) return {InputLine::kEnd, {}};
  return {InputLine::kLine, text.get()};
}

}  // namespace tarvo
