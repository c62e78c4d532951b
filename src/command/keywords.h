// The keywords of the typed command language and their codes.
//
// Several keywords share a code (HELP and ?, DELETE and ERASE). A typed word
// may abbreviate a keyword; the first keyword in table order that begins with
// the word wins, so C is COPY, CL is CLS, D is DIR, DE is DELETE, E is ERASE,
// L is LOG, LA is LABEL, M is MCOPY, R is RENAME and S is SWAP.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

enum CommandCode : std::uint16_t {
  kCmdNone = 0,  // no keyword matched
  kCmdCopy = 1,
  kCmdCd = 2,
  kCmdCdParent = 3,
  kCmdCdRoot = 4,
  kCmdDir = 5,
  kCmdHelp = 6,
  kCmdQuit = 7,
  kCmdType = 8,
  kCmdCls = 9,
  kCmdLog = 10,
  kCmdFormat = 11,
  kCmdRename = 12,
  kCmdLabel = 13,
  kCmdDelete = 14,
  kCmdMcopy = 15,
  kCmdMd = 16,
  kCmdAttrib = 17,
  kCmdOptions = 18,
  kCmdVerify = 19,
  kCmdNext = 20,
  kCmdLock = 21,
  kCmdUnlock = 22,
  kCmdMode = 23,
  kCmdRep = 24,
  kCmdInfo = 25,
  kCmdSwap = 26,
};

struct Keyword {
  std::uint16_t code;
  std::string_view word;
};

// Every keyword, in table order.
std::span<const Keyword> KeywordTable();

// The code of the first keyword that begins with the word (compared in upper
// case); kCmdNone for an empty word or when none matches.
std::uint16_t LookupKeyword(std::string_view word);
// The keyword list as help prints it: one keyword a line, in table order.
std::string KeywordListText();

}  // namespace tarvo
