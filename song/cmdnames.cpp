#include <cstdio>
#include <cstring>

#include "zk/cmdcodes.h"

namespace {

struct NamedCode {
  uint8_t code;
  const char* name;   // 8 characters
};

constexpr NamedCode kNames[] = {
    {0x98, "Tr.Excl "}, {0xC0, "DX7FUNC "}, {0xC1, "DX.PARA "}, {0xC2, "DX.PERF "},
    {0xC3, "TX.FUNC "}, {0xC5, "FB-01 P "}, {0xC6, "FB-01 S "}, {0xC7, "TX81Z V "},
    {0xC8, "TX81Z A "}, {0xC9, "TX81Z P "}, {0xCA, "TX81Z S "}, {0xCB, "TX81Z E "},
    {0xCC, "DX7-2 R "}, {0xCD, "DX7-2 A "}, {0xCE, "DX7-2 P "}, {0xCF, "TX802 P "},
    {0xD0, "YamBase "}, {0xD1, "YamPara "}, {0xD2, "YamDev# "}, {0xD3, "XGPara  "},
    {0xDC, "MKS-7   "}, {0xDD, "RolBase "}, {0xDE, "RolPara "}, {0xDF, "RolDev# "},
    {0xE1, "BankPrgL"}, {0xE2, "BankPrg "}, {0xE5, "Keyin   "}, {0xE6, "MIDI CH."},
    {0xE7, "TEMPO   "}, {0xE8, "PunchIn "}, {0xE9, "PunchOut"}, {0xEA, "AFTER C."},
    {0xEB, "CONTROL "}, {0xEC, "PROGRAM "}, {0xED, "AFTER K."}, {0xEE, "PITCH   "},
    {0xEF, "CmuOnoff"},
};

// 112 names indexed by code - 0x80, built once.
struct NameTable {
  char names[112][9];
  NameTable() {
    for (int i = 0; i < 112; ++i) std::snprintf(names[i], 9, "*%-7d", 0x80 + i);
    for (int i = 0; i < 8; ++i) std::snprintf(names[0x10 + i], 9, "UsrExc%d ", i);
    for (const NamedCode& n : kNames) std::memcpy(names[n.code - 0x80], n.name, 9);
  }
};

const NameTable& Table() {
  static const NameTable table;
  return table;
}

}  // namespace

bool CommandDisplayName(uint8_t code, char out[9]) {
  if (code < 0x80 || code > 0xEF) return false;
  std::memcpy(out, Table().names[code - 0x80], 9);
  return true;
}
