#include "support/hfs_volume.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/big_endian.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "medium/msdos_probe.h"
#include "support/apple_map_image.h"
#include "support/scratch_files.h"

namespace tarvo::testing {

namespace {

int Shell(const std::string& home, const std::string& commands) {
  return std::system(("HOME=" + ShellQuote(home) + "; export HOME; { " + commands + "; } >/dev/null 2>&1").c_str());
}

std::uint16_t Crc16Xmodem(const std::vector<std::uint8_t>& bytes, std::size_t length) {
  std::uint16_t crc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= static_cast<std::uint16_t>(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
  }
  return crc;
}

void AppendPadded(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& fork) {
  out.insert(out.end(), fork.begin(), fork.end());
  out.resize((out.size() + 127) / 128 * 128);
}

}  // namespace

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool MakeHfsVolume(const std::string& home, const std::string& image, const std::string& label, int kilobytes) {
  return Shell(home, "truncate -s " + std::to_string(kilobytes) + "K " + ShellQuote(image) + " && hformat -l " +
                         ShellQuote(label) + " " + ShellQuote(image)) == 0;
}

bool RunHfsutils(const std::string& home, const std::string& image, const std::vector<std::string>& commands) {
  std::string script = "hmount " + ShellQuote(image);
  for (const std::string& command : commands) script += " && " + command;
  script += " && humount";
  return Shell(home, script) == 0;
}

bool FormatHfsPartition(const std::string& home, const std::string& image, const std::string& label, int partition) {
  return Shell(home, "hformat -l " + ShellQuote(label) + " " + ShellQuote(image) + " " + std::to_string(partition)) == 0;
}

bool MakeMappedHfsVolume(const std::string& home, const std::string& image, const std::string& label,
                         std::uint32_t partitionBlocks) {
  constexpr std::uint32_t kFreeBlocks = 32;
  const std::uint32_t blocks = kMappedPartitionStart + partitionBlocks + kFreeBlocks;
  AppleMapImage medium(blocks);
  medium.Descriptor(blocks)
      .Entry(1, 4, 1, 63, "Apple", "Apple_partition_map")
      .Entry(2, 4, 64, 32, "Macintosh", "Apple_Driver43")
      .Entry(3, 4, kMappedPartitionStart, partitionBlocks, "MacOS", "Apple_HFS")
      .Entry(4, 4, kMappedPartitionStart + partitionBlocks, kFreeBlocks, "Extra", "Apple_Free");
  WriteWholeFile(image, medium.bytes);
  return FormatHfsPartition(home, image, label, 1);
}

std::string HfsutilsOutput(const std::string& home, const std::string& image, const std::string& command) {
  const std::string script = "HOME=" + ShellQuote(home) + "; export HOME; hmount " + ShellQuote(image) +
                             " >/dev/null 2>&1 && { " + command + "; humount >/dev/null 2>&1; }";
  std::string out;
  FILE* pipe = popen(script.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

std::vector<std::uint8_t> MacBinaryFile(const std::string& name, const std::string& type, const std::string& creator,
                                        const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& rsrc,
                                        std::uint32_t created, std::uint32_t modified) {
  std::vector<std::uint8_t> out(128);
  out[1] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), out.begin() + 2);
  std::copy(type.begin(), type.end(), out.begin() + 65);
  std::copy(creator.begin(), creator.end(), out.begin() + 69);
  PutU32(out, 83, static_cast<std::uint32_t>(data.size()));
  PutU32(out, 87, static_cast<std::uint32_t>(rsrc.size()));
  PutU32(out, 91, created);
  PutU32(out, 95, modified);
  out[122] = 129;  // MacBinary II
  out[123] = 129;
  const std::uint16_t crc = Crc16Xmodem(out, 124);
  out[124] = static_cast<std::uint8_t>(crc >> 8);
  out[125] = static_cast<std::uint8_t>(crc);
  AppendPadded(out, data);
  AppendPadded(out, rsrc);
  return out;
}

ExtractedFile HfsutilsExtract(const std::string& home, const std::string& image, const std::string& macPath) {
  const std::string out = HfsutilsOutput(home, image, "hcopy -m " + ShellQuote(macPath) + " -");
  const std::vector<std::uint8_t> bin(out.begin(), out.end());
  ExtractedFile file;
  if (bin.size() < 128) return file;
  file.found = true;
  file.type.assign(bin.begin() + 65, bin.begin() + 69);
  file.creator.assign(bin.begin() + 69, bin.begin() + 73);
  file.finderFlags = static_cast<std::uint16_t>(bin[73] << 8 | bin[101]);
  const std::uint32_t dataLength = GetU32(bin, 83), rsrcLength = GetU32(bin, 87);
  file.created = GetU32(bin, 91);
  file.modified = GetU32(bin, 95);
  const std::size_t rsrcAt = 128 + (std::size_t{dataLength} + 127) / 128 * 128;
  if (bin.size() < rsrcAt + rsrcLength) return file;
  file.data.assign(bin.begin() + 128, bin.begin() + 128 + dataLength);
  file.rsrc.assign(bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt),
                   bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt + rsrcLength));
  return file;
}

MountedVolume::MountedVolume(const std::string& image, bool readOnly, std::uint16_t blockSize) {
  attachError = bus.Attach({image, readOnly, blockSize});
  ctx.scsi = &bus;
  ctx.ui = &ui;
  ctx.device.hostAdapterId = 0;
  ctx.volume.adapterKind = AdapterKind::kAspi;
  ctx.volume.targetId = 0;
  ctx.volume.sectorSize = blockSize;
  ctx.device.sectorEntry = blockSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
  ctx.volume.deviceSectors = static_cast<std::uint32_t>(std::filesystem::file_size(image) / 512);
}

MountedVolume::~MountedVolume() { CloseWorkFiles(ctx); }

std::int64_t MountedVolume::Mount() {
  if (ReadVolumeHeader(ctx) == VolumeHeaderFound::kHfs) {
    OpenCatalogWorkFile(ctx);
    RootDirectory(ctx);
  }
  return ctx.volume.volumeOrigin;
}

}  // namespace tarvo::testing
