// The input is a TVCREAT.DAT text: it is merged into the built-in table,
// and the table is then asked in both directions.
#include <sstream>
#include <string>

#include "base/type_creator.h"
#include "fuzz_targets.h"

namespace tarvo::fuzz {

int FuzzTypeCreator(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TypeCreatorTable table;
  std::istringstream in(text);
  MergeTypeCreatorLines(table, in);
  for (const TypeCreatorRow& row : table.rows) {
    const std::string extension(row.extension.begin(), row.extension.end());
    const std::string typeCreator(row.typeCreator.begin(), row.typeCreator.end());
    TypeCreatorForPcName(table, "file." + extension);
    ExtensionForTypeCreator(table, typeCreator);
  }
  TypeCreatorForPcName(table, text.substr(0, 64));
  ExtensionForTypeCreator(table, text.substr(0, 8));
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzTypeCreator)
