#include "ui/attributes_dialog.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "base/charset.h"
#include "hfs/mac_date.h"
#include "ui/context.h"
#include "ui/text_answers.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

constexpr std::size_t kSignatureLength = 4;

std::string SignatureText(ConstBytes record, std::size_t offset);
void PutSignature(Bytes record, std::size_t offset, const std::string& text);
DateTexts DateToTexts(std::uint32_t macDate);
std::optional<std::uint32_t> TextsToDate(const DateTexts& texts);
std::string ExtentsText(ConstBytes extents, std::uint32_t sectorsPerBlock);
std::string Unquoted(std::string_view text);

}  // namespace

AttributesDialog::AttributesDialog(Context& ctx, std::string_view macName, ConstBytes record,
                                   std::function<bool()> writeProtected, bool readOnly)
    : ctx_(ctx), writeProtected_(std::move(writeProtected)), readOnly_(readOnly) {
  std::copy_n(record.begin(), record_.size(), record_.begin());
  name_ = shownName_ = ConvertString(macName, MacToAnsi);
  creator_ = shownCreator_ = SignatureText(record_, filrec::fdCreator);
  type_ = shownType_ = SignatureText(record_, filrec::fdType);
  created_ = shownCreated_ = DateToTexts(GetU32(record_, filrec::filCrDat));
  modified_ = shownModified_ = DateToTexts(GetU32(record_, filrec::filMdDat));
  dataLength_ = std::to_string(GetU32(record_, filrec::filLgLen));
  resourceLength_ = std::to_string(GetU32(record_, filrec::filRLgLen));
  const std::uint32_t perBlock = ctx.volume.sectorsPerBlock;
  extents_ = {name_, std::to_string(GetU32(record_, filrec::filFlNum)),
              ExtentsText(ConstBytes(record_).subspan(filrec::filExtRec, kExtentRecordSize), perBlock),
              ExtentsText(ConstBytes(record_).subspan(filrec::filRExtRec, kExtentRecordSize), perBlock)};
}

void AttributesDialog::Write() {
  if (readOnly_) return;
  const std::optional<std::uint32_t> created =
      created_ == shownCreated_ ? GetU32(record_, filrec::filCrDat) : TextsToDate(created_);
  const std::optional<std::uint32_t> modified =
      modified_ == shownModified_ ? GetU32(record_, filrec::filMdDat) : TextsToDate(modified_);
  const std::string name = name_.substr(0, kMaxNameLength);
  if (!created || !modified || name.empty()) {
    ctx_.ui->Beep();
    return;
  }
  if (!WriteGuard(ctx_, writeProtected_, kChangesCatalogRecords, RefusalNotice::kMessageBox)) return Finish(0);
  if (creator_ != shownCreator_) PutSignature(record_, filrec::fdCreator, creator_);
  if (type_ != shownType_) PutSignature(record_, filrec::fdType, type_);
  PutU32(record_, filrec::filCrDat, *created);
  PutU32(record_, filrec::filMdDat, *modified);
  if (name != shownName_) newName_ = ConvertString(name, AnsiToMac);
  Finish(newName_ ? 3 : 2);
}

void AttributesDialog::ApplyAnswer(std::string_view text) {
  const std::string answer = NormalizeAnswer(text);
  if (answer.empty() || answer == "quit" || answer == "cancel") return Quit();
  if (answer == "write") return Write();
  if (answer == "advanced") return Advanced();
  // The word, then the value as typed (case kept).
  const std::size_t start = text.find_first_not_of(" \t");
  const std::size_t gap = text.find_first_of(" \t", start);
  if (gap == std::string_view::npos) return;
  const std::string word = NormalizeAnswer(text.substr(start, gap - start));
  const std::string value = Unquoted(text.substr(gap + 1));
  if (word == "name") return SetName(value);
  if (word == "creator") return SetCreator(value);
  if (word == "type") return SetType(value);
  if (word != "created" && word != "modified") return;
  DateTexts fields;
  std::istringstream words(value);
  for (std::string& field : fields) words >> field;
  if (word == "created") SetCreated(fields);
  else SetModified(fields);
}

void AttributesDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

namespace {

std::string SignatureText(ConstBytes record, std::size_t offset) {
  std::string text(reinterpret_cast<const char*>(record.data() + offset), kSignatureLength);
  return text.substr(0, text.find('\0'));
}

void PutSignature(Bytes record, std::size_t offset, const std::string& text) {
  for (std::size_t i = 0; i < kSignatureLength; ++i) {
    PutU8(record, offset + i, i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
  }
}

DateTexts DateToTexts(std::uint32_t macDate) {
  const DateFields f = MacDateToFields(macDate);
  return {std::to_string(f.day), std::to_string(f.month), std::to_string(f.year), std::to_string(f.hour),
          std::to_string(f.minute)};
}

// A four-digit year is taken as it reads; otherwise as years since 1900.
std::optional<std::uint32_t> TextsToDate(const DateTexts& texts) {
  int values[5] = {};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& t = texts[i];
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), values[i]);
    if (t.empty() || error != std::errc() || end != t.data() + t.size()) return std::nullopt;
  }
  DateFields fields;
  fields.day = values[0];
  fields.month = values[1];
  fields.year = values[2] >= 1900 ? values[2] - 1900 : values[2];
  fields.hour = values[3];
  fields.minute = values[4];
  return FieldsToMacDate(fields);
}

std::string ExtentsText(ConstBytes extents, std::uint32_t sectorsPerBlock) {
  std::string text;
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(std::uint64_t{GetU16(extents, 4 * i)} * sectorsPerBlock) + "/" +
            std::to_string(std::uint64_t{GetU16(extents, 4 * i + 2)} * sectorsPerBlock);
  }
  return text;
}

std::string Unquoted(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return std::string(text);
}

}  // namespace

}  // namespace tarvo
