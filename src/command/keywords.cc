#include "command/keywords.h"

#include <array>

namespace tarvo {

namespace {

constexpr std::array<Keyword, 28> kKeywords{{
    {kCmdCopy, "COPY"},     {kCmdCd, "CD"},          {kCmdCdParent, "CD .."}, {kCmdCdRoot, "CD \\"},
    {kCmdDir, "DIR"},       {kCmdHelp, "HELP"},      {kCmdHelp, "?"},         {kCmdQuit, "QUIT"},
    {kCmdType, "TYPE"},     {kCmdCls, "CLS"},        {kCmdLog, "LOG"},        {kCmdFormat, "FORMAT"},
    {kCmdRename, "RENAME"}, {kCmdLabel, "LABEL"},    {kCmdDelete, "DELETE"},  {kCmdDelete, "ERASE"},
    {kCmdMcopy, "MCOPY"},   {kCmdMd, "MD"},          {kCmdAttrib, "ATTRIB"},  {kCmdOptions, "OPTIONS"},
    {kCmdVerify, "VERIFY"}, {kCmdNext, "NEXT"},      {kCmdLock, "LOCK"},      {kCmdUnlock, "UNLOCK"},
    {kCmdMode, "MODE"},     {kCmdRep, "REP"},        {kCmdInfo, "INFO"},      {kCmdSwap, "SWAP"},
}};

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool BeginsWithUpper(std::string_view keyword, std::string_view word) {
  if (word.size() > keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ToUpperAscii(word[i]) != keyword[i]) return false;
  }
  return true;
}

}  // namespace

std::span<const Keyword> KeywordTable() { return kKeywords; }

std::uint16_t LookupKeyword(std::string_view word) {
  if (word.empty()) return kCmdNone;
  for (const Keyword& keyword : kKeywords) {
    if (BeginsWithUpper(keyword.word, word)) return keyword.code;
  }
  return kCmdNone;
}

std::string KeywordListText() {
  std::string text;
  for (const Keyword& k : KeywordTable()) text += std::string(k.word) + "\n";
  return text;
}

}  // namespace tarvo
