#include "base/type_creator.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>

#include "base/engine.h"

namespace tarvo {

namespace {

constexpr std::size_t kMaxLineLength = 79;
constexpr std::string_view kFreeExtension = "   ";
constexpr std::string_view kFreeTypeCreator = "        ";

struct BuiltInRow {
  std::string_view extension;
  std::string_view typeCreator;
};

constexpr BuiltInRow kBuiltInRows[] = {
    {"TXT", "TEXT????"}, {"DOC", "WDBNMSWD"}, {"TIF", "TIFF????"}, {"WP4", "WP42SSIW"},
    {"WP5", "WP50SSIW"}, {"MW4", "WORDMACA"}, {"MW2", "MW2DMWII"}, {"XLS", "XLS5XCEL"},
    {"MCW", "WDBNMSWD"}, {"FH3", "FHD3FHA3"}, {"PM5", "ALB5ALD5"}, {"EPS", "EPSF????"},
    {"QXD", "XDOCXPR3"}, {"XLS", "XLS4XCEL"}, {"CWK", "WORDBOBO"}, {"PPT", "SLD3PPT3"},
    {"EPS", "EPSPXPR3"}, {"DOC", "W6BNMSWD"}, {"CWK", "CWWPBOBO"}, {"PCT", "PICT????"},
    {"HQX", "TEXTBNHQ"}, {"DIR", "MV93MD93"},
};
constexpr BuiltInRow kLastRows[] = {{"RAG", "R#      "}, {"COM", "APPL????"}, {"EXE", "APPL????"}};
// Rows 23 to 37 lie between the two groups and start free.
static_assert(std::size(kBuiltInRows) == 22 && std::size(kLastRows) == 3 && kTypeCreatorRows == 40);

// The types of later years, after the table: the user file overrides them.
// A type's first row has the extension of three characters, which short
// names can take.
constexpr BuiltInRow kModernRows[] = {
    {"JPG", "JPEGogle"}, {"JPEG", "JPEGogle"}, {"JPE", "JPEGogle"}, {"GIF", "GIFfogle"},
    {"PNG", "PNGfogle"}, {"BMP", "BMPpogle"}, {"TIFF", "TIFF????"}, {"PDF", "PDF CARO"},
    {"ZIP", "ZIP SITx"}, {"SIT", "SIT!SIT5"}, {"PSD", "8BPS8BIM"},
    {"HTM", "TEXTMOSS"}, {"HTML", "TEXTMOSS"}, {"RTF", "RTF MSWD"}, {"MP3", "MPG3TVOD"},
    {"MOV", "MooVTVOD"}, {"QT", "MooVTVOD"}, {"MPG", "MPEGTVOD"}, {"MPEG", "MPEGTVOD"},
    {"WAV", "WAVETVOD"}, {"AIF", "AIFFTVOD"}, {"AIFF", "AIFFTVOD"}, {"MID", "MidiTVOD"},
};

std::string_view ExtensionOf(const TypeCreatorRow& row) { return {row.extension.data(), row.extension.size()}; }
std::string_view TypeCreatorOf(const TypeCreatorRow& row) { return {row.typeCreator.data(), row.typeCreator.size()}; }
bool IsFree(const TypeCreatorRow& row) { return ExtensionOf(row) == kFreeExtension; }

TypeCreatorRow MakeRow(std::string_view extension, std::string_view typeCreator) {
  TypeCreatorRow row{};
  extension.copy(row.extension.data(), row.extension.size());
  typeCreator.copy(row.typeCreator.data(), row.typeCreator.size());
  return row;
}

bool ReadLine(std::istream& in, std::string& line);
std::optional<TypeCreatorRow> ParseLine(std::string_view line);
TypeCreatorRow* RowForExtension(TypeCreatorTable& table, std::string_view extension);
std::string Upper(std::string_view text);

}  // namespace

TypeCreatorTable::TypeCreatorTable() {
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = MakeRow(kFreeExtension, kFreeTypeCreator);
  for (std::size_t i = 0; i < std::size(kBuiltInRows); ++i)
    rows[i] = MakeRow(kBuiltInRows[i].extension, kBuiltInRows[i].typeCreator);
  for (std::size_t i = 0; i < std::size(kLastRows); ++i)
    rows[rows.size() - std::size(kLastRows) + i] = MakeRow(kLastRows[i].extension, kLastRows[i].typeCreator);
}

std::vector<std::filesystem::path> TypeCreatorFileCandidates() {
  std::vector<std::filesystem::path> folders;
  std::error_code error;
  folders.push_back(std::filesystem::current_path(error));
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) folders.push_back(program.parent_path());
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
    folders.push_back(std::filesystem::path(config) / "tarvo");
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folders.push_back(std::filesystem::path(home) / ".config" / "tarvo");
  }

  std::vector<std::filesystem::path> candidates;
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    candidates.push_back(folder / "TVCREAT.DAT");
    candidates.push_back(folder / "tvcreat.dat");
  }
  return candidates;
}

// The candidates are looked up only for the first load: a copy asks for the
// table once per file.
void LoadTypeCreatorFile(Engine& ctx) {
  if (!ctx.typeCreators.userFileLoaded) LoadTypeCreatorFile(ctx, TypeCreatorFileCandidates());
}

void LoadTypeCreatorFile(Engine& ctx, std::span<const std::filesystem::path> candidates) {
  if (ctx.typeCreators.userFileLoaded) return;
  ctx.typeCreators.userFileLoaded = true;
  for (const auto& path : candidates) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    int dropped = MergeTypeCreatorLines(ctx.typeCreators, in);
    for (int i = 0; i < dropped; ++i) ctx.ui->Beep();
    return;
  }
}

int MergeTypeCreatorLines(TypeCreatorTable& table, std::istream& in) {
  int dropped = 0;
  std::string line;
  while (ReadLine(in, line)) {
    std::optional<TypeCreatorRow> parsed = ParseLine(line);
    if (!parsed) continue;
    TypeCreatorRow* row = RowForExtension(table, ExtensionOf(*parsed));
    if (row == nullptr) {
      ++dropped;
      continue;
    }
    *row = *parsed;
  }
  return dropped;
}

std::string TypeCreatorForPcName(const TypeCreatorTable& table, std::string_view pcName) {
  const TypeCreatorRow& fallback = table.rows[0];
  std::string_view name = pcName.substr(pcName.find_last_of('/') + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return std::string(TypeCreatorOf(fallback));
  std::string extension = Upper(name.substr(dot + 1));
  for (const auto& row : table.rows) {
    if (!IsFree(row) && ExtensionOf(row) == extension) return std::string(TypeCreatorOf(row));
  }
  for (const BuiltInRow& row : kModernRows) {
    if (row.extension == extension) return std::string(row.typeCreator);
  }
  return std::string(TypeCreatorOf(fallback));
}

std::string ExtensionForTypeCreator(const TypeCreatorTable& table, std::string_view typeCreator) {
  // Whole signature, then type, then the type's first two characters.
  for (std::size_t width : {std::size_t{8}, std::size_t{4}, std::size_t{2}}) {
    if (typeCreator.size() < width) continue;
    const std::string_view wanted = typeCreator.substr(0, width);
    for (const auto& row : table.rows) {
      if (!IsFree(row) && TypeCreatorOf(row).substr(0, width) == wanted) return std::string(ExtensionOf(row));
    }
    for (const BuiltInRow& row : kModernRows) {
      if (row.typeCreator.substr(0, width) == wanted) return std::string(row.extension);
    }
  }
  return std::string(ExtensionOf(table.rows[0]));
}

namespace {

// One line without its "\n" or "\r\n", cut to kMaxLineLength characters;
// false at the end of the input.
bool ReadLine(std::istream& in, std::string& line) {
  line.clear();
  auto c = in.get();
  if (c == std::istream::traits_type::eof()) return false;
  for (; c != std::istream::traits_type::eof() && c != '\n'; c = in.get()) {
    // One character beyond the limit is kept so that a "\r" ending can be told.
    if (line.size() <= kMaxLineLength) line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos;
}

std::optional<TypeCreatorRow> ParseLine(std::string_view line) {
  if (!line.empty() && line.front() == '#') return std::nullopt;
  std::size_t pos = SkipBlanks(line, 0);
  if (line.size() - pos < kFreeExtension.size()) return std::nullopt;
  std::string_view extension = line.substr(pos, kFreeExtension.size());
  pos = SkipBlanks(line, pos + extension.size());
  if (pos == line.size()) return std::nullopt;
  std::string typeCreator(line.substr(pos, kFreeTypeCreator.size()));
  typeCreator.resize(kFreeTypeCreator.size(), ' ');
  return MakeRow(extension, typeCreator);
}

// The row holding this extension, else the first free one, else none.
TypeCreatorRow* RowForExtension(TypeCreatorTable& table, std::string_view extension) {
  for (auto& row : table.rows) {
    if (ExtensionOf(row) == extension) return &row;
  }
  for (auto& row : table.rows) {
    if (IsFree(row)) return &row;
  }
  return nullptr;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

}  // namespace tarvo
