// The plain reader: the whole PC file as one fork, typed by its extension;
// in the text copy mode a TEXT file that is UTF-8 text becomes Mac text.
#include <sys/stat.h>

#include "base/program_settings.h"
#include "base/type_creator.h"
#include "base/utf8.h"
#include "hfs/catalog_record.h"
#include "hfs/mac_date.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_file_reader.h"
#include "transfer/text_conversion.h"

namespace tarvo {

namespace {

int BidPlain(const PcFileProbe&) { return 1; }

// The PC file as Mac text in a temporary file dated as the PC file, which
// then goes on as the PC file; `converted` stays none unless it was.
PcText ConvertPcText(std::FILE* file, HeldPcFile& converted) {
  struct stat info{};
  HeldPcFile out(std::tmpfile());
  PcText text = out == nullptr || fstat(fileno(file), &info) != 0 ? PcText::kFailed : PcTextToMacText(file, out.get());
  const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
  if (text == PcText::kConverted && (std::fflush(out.get()) != 0 || futimens(fileno(out.get()), times) != 0)) {
    text = PcText::kFailed;
  }
  if (text == PcText::kConverted) {
    std::rewind(out.get());
    converted = std::move(out);
    return text;
  }
  std::rewind(file);
  return text;
}

PcFileReading ReadPlain(const PcFileProbe& probe) {
  const std::string pcName = probe.path.filename().string();
  const std::optional<std::string> tc =
      probe.typeCreator ? probe.typeCreator : TypeCreatorForPcName(*probe.typeCreators, Utf8ToDos(pcName));
  PcFileReading reading;
  HeldPcFile converted;
  if ((probe.modeFlags & kCopyText) != 0 && tc->starts_with("TEXT") &&
      ConvertPcText(probe.file, converted) == PcText::kFailed) {
    reading.status = PcReadStatus::kUnreadable;
    return reading;
  }
  std::FILE* stream = converted ? converted.get() : probe.file;
  const std::optional<PcFileFacts> facts = PcFileFactsOf(stream);
  if (!facts) {
    reading.status = PcReadStatus::kUnreadable;
    return reading;
  }
  const ForkChoice fork = (probe.modeFlags & kCopyResource) != 0 ? ForkChoice::kResource : ForkChoice::kData;
  reading.source = PlainFileSource(stream, *facts, MacNameForPcName(pcName), tc, fork);
  reading.source.held = std::move(converted);
  return reading;
}

}  // namespace

const PcFileReader kPlainFileReader = {BidPlain, ReadPlain};

MacFileSource PlainFileSource(std::FILE* stream, const PcFileFacts& facts, const std::string& macName,
                              const std::optional<std::string>& typeCreator, ForkChoice fork) {
  MacFileSource source;
  source.stream = stream;
  source.name = macName.substr(0, kMaxNameLength);
  const std::string tc = typeCreator.value_or("TEXT????") + std::string(8, ' ');
  source.type = tc.substr(0, 4);
  source.creator = tc.substr(4, 4);
  source.created = PcTimeToMacDate(facts.modified);
  source.created -= source.created % 60;
  source.modified = source.created + 1;
  (fork == ForkChoice::kData ? source.data : source.resource) = {0, facts.length};
  return source;
}

}  // namespace tarvo
