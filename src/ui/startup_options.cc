#include "ui/startup_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/program_settings.h"
#include "ui/menu_model.h"

namespace tarvo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The one-letter options /A, /L and /R (also with '-', either case).
void ApplyLetterOption(const std::string& token, StartupOptions& options) {
  if (token.size() < 2) return;
  switch (std::toupper(static_cast<unsigned char>(token[1]))) {
    case 'A':
      // Each digit is taken on its own: /A03 is adapter 0, target 3.
      options.adapterOption = true;
      if (token.size() > 2 && IsDigit(token[2])) options.hostAdapter = token[2] - '0';
      if (token.size() > 3 && IsDigit(token[3])) options.target = token[3] - '0';
      break;
    case 'L': {
      // A first character that is not a letter separates the name: /L:name.
      std::string name = token.substr(2);
      if (!name.empty() && !std::isalpha(static_cast<unsigned char>(name[0]))) name.erase(0, 1);
      options.logName = name;
      break;
    }
    case 'R':
      options.reset = true;
      break;
    default:
      break;
  }
}

// "/A03", "/Lname", "/R": a word of one of these letters that names no
// existing file. Any other word beginning with '/' is a path, so a missing
// image is reported rather than ignored.
bool IsSlashLetterOption(const std::string& word) {
  if (word.size() < 2 || word[0] != '/' || std::filesystem::exists(word)) return false;
  const int letter = std::toupper(static_cast<unsigned char>(word[1]));
  return letter == 'A' || letter == 'L' || letter == 'R';
}

std::string CopyModeList() {
  std::string list;
  for (const CopyModeName& m : kCopyModeNames) list += (list.empty() ? "" : ", ") + std::string(m.name);
  return list;
}

}  // namespace

std::optional<StartupOptions> ParseStartupOptions(const std::vector<std::string>& args, std::string& error) {
  StartupOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* what) -> const std::string* {
      if (i + 1 >= args.size()) {
        error = a + " needs " + what;
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--image") {
      const std::string* v = value("an image path");
      if (!v) return std::nullopt;
      options.images.push_back(*v);
    } else if (a == "--create") {
      const std::string* size = value("a size in MB and a path");
      if (!size) return std::nullopt;
      const std::string* path = value("a path after the size");
      if (!path) return std::nullopt;
      std::string digits = *size;
      if (digits.size() > 2 && (digits.ends_with("MB") || digits.ends_with("mb"))) digits.resize(digits.size() - 2);
      int mb = 0;
      for (char c : digits) {
        if (!IsDigit(c) || mb > 10000) {
          error = "--create: \"" + *size + "\" is not a size in MB (1 to 2048)";
          return std::nullopt;
        }
        mb = mb * 10 + (c - '0');
      }
      if (digits.empty()) {
        error = "--create: the size is missing";
        return std::nullopt;
      }
      options.creates.push_back({mb, *path});
    } else if (a == "--demo") {
      options.demo = true;
    } else if (a == "--scsi") {
      options.scsi = true;
    } else if (a == "--yes") {
      options.yes = true;
    } else if (a == "--verbose") {
      options.verbose = true;
    } else if (a == "--check") {
      options.check = true;
    } else if (a == "--mode") {
      const std::string* v = value("a copy mode");
      if (!v) return std::nullopt;
      const auto* mode = std::find_if(std::begin(kCopyModeNames), std::end(kCopyModeNames),
                                      [v](const CopyModeName& m) { return *v == m.name; });
      if (mode == std::end(kCopyModeNames)) {
        error = "--mode: \"" + *v + "\" is not a copy mode (" + CopyModeList() + ")";
        return std::nullopt;
      }
      options.copyMode = mode->bit;
    } else if (a == "--existing") {
      const std::string* v = value("replace, skip or keep");
      if (!v) return std::nullopt;
      if (*v == "replace") {
        options.existingFiles = ExistingFileAction::kReplace;
      } else if (*v == "skip") {
        options.existingFiles = ExistingFileAction::kSkip;
      } else if (*v == "keep") {
        options.existingFiles = ExistingFileAction::kKeepBoth;
      } else {
        error = "--existing: \"" + *v + "\" is not replace, skip or keep";
        return std::nullopt;
      }
    } else if (a == "--help" || a == "-h" || a == "-?") {
      options.help = true;
    } else if (a == "--version") {
      options.version = true;
    } else if (a == "-c") {
      const std::string* v = value("a command line");
      if (!v) return std::nullopt;
      options.actions.push_back({StartupAction::kCommand, *v});
    } else if (a == "--menu") {
      const std::string* v = value("a menu command number");
      if (!v) return std::nullopt;
      if (v->empty() || v->size() > 3 || !std::all_of(v->begin(), v->end(), IsDigit) ||
          std::stoi(*v) < kFirstMenuCommand || std::stoi(*v) > kLastMenuCommand) {
        error = "--menu: \"" + *v + "\" is not a menu command number (" + std::to_string(kFirstMenuCommand) +
                " to " + std::to_string(kLastMenuCommand) + ")";
        return std::nullopt;
      }
      options.actions.push_back({StartupAction::kMenu, *v});
    } else if (a == "--select") {
      const std::string* v = value("a name pattern");
      if (!v) return std::nullopt;
      options.actions.push_back({StartupAction::kSelect, *v});
    } else if (a.starts_with("--")) {
      error = "unknown option " + a;
      return std::nullopt;
    } else if (a.starts_with('-') || IsSlashLetterOption(a)) {
      ApplyLetterOption(a, options);
    } else if (!a.empty()) {
      options.files.push_back(a);
    }
  }
  return options;
}

std::string UsageText(const std::string& program) {
  return "usage: " + program +
         " [--image PATH[,ro][,1024]]... [--create SIZE PATH] [--demo] [--scsi]\n"
         "       [/A<h><t>] [/L<name>] [/R] [--yes] [--verbose] [--check] [--mode NAME]\n"
         "       [--existing replace|skip|keep]\n"
         "       [-c LINE | --menu N | --select PATTERN]... [IMAGE]...\n"
         "  --image PATH      attach an image file or a block device as a cartridge drive\n"
         "                    (,ro write-protected; ,1024 a medium with 1024-byte sectors)\n"
         "  --create SIZE PATH  create a blank image of SIZE MB (1 to 2048; 44, 88, 105, 200\n"
         "                      and 270 are the cartridges' own sizes)\n"
         "  --demo            attach the demo cartridge (made in ~/.cache/tarvo on first use)\n"
         "  --scsi            also offer the machine's real SCSI drives\n"
         "  /A<h><t>          use host adapter h, target t\n"
         "  /L<name>          log copies and changes to the file name (default tarvo.log)\n"
         "  /R                reset the drive before every transfer\n"
         "  --yes             answer every OK/Cancel and Yes/No question OK or Yes, and the\n"
         "                    \"Formatting\" dialog OK with the name it shows, without reading\n"
         "                    standard input; without --yes, a question that destroys data\n"
         "                    (format, deleting a folder that is not empty or several items,\n"
         "                    replacing a file) is answered Cancel/No unless ok or yes (for\n"
         "                    \"Formatting\", a name) is typed\n"
         "  --verbose         show status texts and dialogs on standard error\n"
         "  --check           check the volume's consistency and print what is wrong\n"
         "  --mode NAME       copy mode of the run: " + CopyModeList() + "\n"
         "  --existing ACTION when a copy to the PC finds its name taken: replace the file,\n"
         "                    skip the item, or keep both (the copy numbered), without\n"
         "                    asking; --yes and the end of input keep both\n"
         "  -c LINE           run a typed command (DIR, CD, COPY, ...)\n"
         "  --menu N          run menu command N\n"
         "  --select PATTERN  select the listed items whose names match PATTERN\n"
         "  IMAGE             an image file or block device attached as --image PATH is,\n"
         "                    after those; the first is the drive used unless /A names one\n";
}

}  // namespace tarvo
