// Shift-JIS to glyph codes.
//
// The conversion tables are written with the characters themselves; this file compiles
// with the Shift-JIS execution charset, so each literal is the two bytes the game's text
// holds, and the tables are checked for that while compiling.
#include "game/codec/glyph_codes.h"

#include <iterator>

#include "platform/text/text_encoding.h"

namespace game {
namespace {

constexpr uint8_t kHiraganaLead = 0x82;  // also full-width digits and capitals
constexpr uint8_t kKatakanaLead = 0x83;
constexpr uint8_t kHiraganaFirstTrail = 0x9F;                 // hiragana: lead 0x82, trail from here
constexpr uint8_t kKatakanaEndTrail = 0x9F;                   // katakana: lead 0x83, trail below this
constexpr uint8_t kFullWidthDigitTrails[2] = {0x4F, 0x58};    // "０".."９"
constexpr uint8_t kFullWidthCapitalTrails[2] = {0x60, 0x79};  // "Ａ".."Ｚ"
constexpr uint8_t kLineFeed = 0x0A;

// What one character converts to: nothing, one code, or a voicing mark and a code.
// A single code 0 ends the text.
struct GlyphRun {
  uint8_t count = 0;
  uint8_t codes[2] = {0, 0};
};

constexpr GlyphRun One(uint8_t code) { return {1, {code, 0}}; }

constexpr uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

// A table literal must be exactly one two-byte character with the given lead; anything
// else means the source was not compiled as Shift-JIS. constexpr, not consteval: clang
// refuses the call from a loop inside the consteval table builders; every caller
// initialises a constexpr table, so a bad literal still stops the build.
constexpr uint8_t TrailOf(const char* sjis, uint8_t lead) {
  if (Byte(sjis[0]) != lead || sjis[1] == 0 || sjis[2] != 0) throw "not the expected Shift-JIS";
  return Byte(sjis[1]);
}
constexpr uint16_t CodePointOf(const char* sjis) {
  if (!plat::IsSjisLeadByte(Byte(sjis[0])) || sjis[1] == 0 || sjis[2] != 0) {
    throw "not one Shift-JIS character";
  }
  return static_cast<uint16_t>(Byte(sjis[0]) << 8 | Byte(sjis[1]));
}

// Single bytes 0x00..0x7F; every byte not listed is a blank.
struct ByteRule {
  char byte;
  uint8_t code;
};
constexpr ByteRule kByteRules[] = {
    {' ', 125}, {'!', 62}, {'"', 165}, {'#', 168}, {'&', 169}, {'*', 166}, {'+', 163}, {',', 69},
    {'-', 164}, {'.', 70}, {'/', 73},  {':', 67},  {';', 68},  {'<', 71},  {'=', 167}, {'>', 72},
    {'?', 63},  {'@', 64}, {'[', 171}, {'{', 171}, {']', 172}, {'}', 172},
};

consteval std::array<uint8_t, 128> MakeByteTable() {
  std::array<uint8_t, 128> table{};
  table.fill(kGlyphBlank);
  for (const ByteRule& r : kByteRules) table[Byte(r.byte)] = r.code;
  for (int d = 0; d < 10; ++d) table['0' + d] = static_cast<uint8_t>(48 + d);
  for (int l = 0; l < 26; ++l) {
    table['A' + l] = static_cast<uint8_t>(74 + l);
    table['a' + l] = static_cast<uint8_t>(74 + l);
  }
  table[kLineFeed] = kGlyphLineBreak;
  return table;
}
constexpr std::array<uint8_t, 128> kByteTable = MakeByteTable();

// Kana: a plain kana and its code; a voiced or semi-voiced kana, its mark and the plain
// kana it is drawn over; the kana that cut the text.
struct PlainKana {
  const char* kana;
  uint8_t code;
};
struct MarkedKana {
  const char* kana;
  uint8_t mark;
  const char* plain;
};

constexpr PlainKana kPlainHiragana[] = {
    {"あ", 100}, {"い", 101}, {"う", 102}, {"え", 103}, {"お", 104}, {"か", 105}, {"き", 106}, {"く", 107},
    {"け", 108}, {"こ", 109}, {"さ", 110}, {"し", 111}, {"す", 112}, {"せ", 113}, {"そ", 114}, {"た", 115},
    {"ち", 116}, {"つ", 117}, {"て", 118}, {"と", 119}, {"な", 120}, {"に", 121}, {"ぬ", 122}, {"ね", 123},
    {"の", 124}, {"は", 126}, {"ひ", 127}, {"ふ", 128}, {"へ", 129}, {"ほ", 130}, {"ま", 131}, {"み", 132},
    {"む", 133}, {"め", 134}, {"も", 135}, {"や", 136}, {"ゆ", 138}, {"よ", 140}, {"ら", 141}, {"り", 142},
    {"る", 143}, {"れ", 144}, {"ろ", 145}, {"わ", 146}, {"を", 150}, {"ん", 152}, {"っ", 153}, {"ゃ", 154},
    {"ゅ", 155}, {"ょ", 156}, {"ぁ", 158}, {"ぃ", 159}, {"ぅ", 160}, {"ぇ", 161}, {"ぉ", 162},
};
constexpr MarkedKana kMarkedHiragana[] = {
    {"が", 58, "か"}, {"ぎ", 58, "き"}, {"ぐ", 58, "く"}, {"げ", 58, "け"}, {"ご", 58, "こ"},
    {"ざ", 58, "さ"}, {"じ", 58, "し"}, {"ず", 58, "す"}, {"ぜ", 58, "せ"}, {"ぞ", 58, "そ"},
    {"だ", 58, "た"}, {"ぢ", 58, "ち"}, {"づ", 58, "つ"}, {"で", 58, "て"}, {"ど", 58, "と"},
    {"ば", 58, "は"}, {"び", 58, "ひ"}, {"ぶ", 58, "ふ"}, {"べ", 58, "へ"}, {"ぼ", 58, "ほ"},
    {"ぱ", 59, "は"}, {"ぴ", 59, "ひ"}, {"ぷ", 59, "ふ"}, {"ぺ", 59, "へ"}, {"ぽ", 59, "ほ"},
};
constexpr const char* kCuttingHiragana[] = {"ゎ", "ゐ", "ゑ"};

constexpr PlainKana kPlainKatakana[] = {
    {"ア", 178}, {"イ", 179}, {"ウ", 180}, {"エ", 181}, {"オ", 182}, {"カ", 183}, {"キ", 184}, {"ク", 185}, {"ケ", 186},
    {"コ", 187}, {"サ", 188}, {"シ", 189}, {"ス", 190}, {"セ", 191}, {"ソ", 192}, {"タ", 193}, {"チ", 194}, {"ツ", 195},
    {"テ", 196}, {"ト", 197}, {"ナ", 198}, {"ニ", 199}, {"ヌ", 200}, {"ネ", 201}, {"ノ", 202}, {"ハ", 204}, {"ヒ", 205},
    {"フ", 206}, {"ヘ", 207}, {"ホ", 208}, {"マ", 209}, {"ミ", 210}, {"ム", 211}, {"メ", 212}, {"モ", 213}, {"ヤ", 214},
    {"ユ", 216}, {"ヨ", 218}, {"ラ", 219}, {"リ", 220}, {"ル", 221}, {"レ", 222}, {"ロ", 223}, {"ワ", 224}, {"ヲ", 228},
    {"ン", 229}, {"ッ", 230}, {"ャ", 231}, {"ュ", 232}, {"ョ", 233}, {"ァ", 235}, {"ィ", 236}, {"ゥ", 237}, {"ェ", 238},
    {"ォ", 239}, {"ヵ", 183}, {"ヶ", 186},
};
constexpr MarkedKana kMarkedKatakana[] = {
    {"ガ", 58, "カ"}, {"ギ", 58, "キ"}, {"グ", 58, "ク"}, {"ゲ", 58, "ケ"}, {"ゴ", 58, "コ"}, {"ザ", 58, "サ"},
    {"ジ", 58, "シ"}, {"ズ", 58, "ス"}, {"ゼ", 58, "セ"}, {"ゾ", 58, "ソ"}, {"ダ", 58, "タ"}, {"ヂ", 58, "チ"},
    {"ヅ", 58, "ツ"}, {"デ", 58, "テ"}, {"ド", 58, "ト"}, {"バ", 58, "ハ"}, {"ビ", 58, "ヒ"}, {"ブ", 58, "フ"},
    {"ベ", 58, "ヘ"}, {"ボ", 58, "ホ"}, {"ヴ", 58, "ウ"}, {"パ", 59, "ハ"}, {"ピ", 59, "ヒ"}, {"プ", 59, "フ"},
    {"ペ", 59, "ヘ"}, {"ポ", 59, "ホ"},
};
constexpr const char* kCuttingKatakana[] = {"ヮ", "ヰ", "ヱ"};

// Indexed by the trail byte, so any trail reads inside the table; unlisted trails give
// nothing.
using KanaTable = std::array<GlyphRun, 256>;

template <size_t P, size_t M, size_t C>
consteval KanaTable MakeKanaTable(uint8_t lead, const PlainKana (&plain)[P], const MarkedKana (&marked)[M],
                                  const char* const (&cut)[C]) {
  KanaTable table{};
  for (const PlainKana& k : plain) table[TrailOf(k.kana, lead)] = One(k.code);
  for (const MarkedKana& k : marked) {
    const GlyphRun& plainRun = table[TrailOf(k.plain, lead)];
    if (plainRun.count != 1) throw "a marked kana needs its plain kana listed";
    table[TrailOf(k.kana, lead)] = {2, {k.mark, plainRun.codes[0]}};
  }
  for (const char* k : cut) table[TrailOf(k, lead)] = One(kGlyphEnd);
  return table;
}
constexpr KanaTable kHiraganaTable = MakeKanaTable(kHiraganaLead, kPlainHiragana, kMarkedHiragana, kCuttingHiragana);
constexpr KanaTable kKatakanaTable = MakeKanaTable(kKatakanaLead, kPlainKatakana, kMarkedKatakana, kCuttingKatakana);

// Two-byte symbols and the few kanji the sheet holds.
struct SymbolRule {
  const char* sjis;
  uint8_t code;
};
constexpr SymbolRule kSymbolRules[] = {
    {"　", 125}, {"～", 175}, {"＿", kGlyphBlank}, {"ー", 157},
    {"…", 234},  {"、", 60},  {"。", 61},          {"「", 66},
    {"○", 137},  {"×", 139},  {"□", 215},          {"△", 217},
    {"・", 176}, {"！", 62},  {"？", 63},          {"￥", kGlyphLineBreak},
    {"著", 64},  {"終", 65},  {"Ⅲ", 170},          {"離", 173},
    {"押", 174}, {"剣", 147}, {"盾", 148},         {"靴", 149},
    {"魔", 151}, {"体", 240}, {"賽", 241},         {"膿", 242},
};

struct SymbolEntry {
  uint16_t sjis;
  uint8_t code;
};
consteval std::array<SymbolEntry, std::size(kSymbolRules)> MakeSymbolTable() {
  std::array<SymbolEntry, std::size(kSymbolRules)> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    table[i] = {CodePointOf(kSymbolRules[i].sjis), kSymbolRules[i].code};
  }
  return table;
}
constexpr auto kSymbolTable = MakeSymbolTable();

GlyphRun ConvertDoubleByte(uint8_t lead, uint8_t trail) {
  if (lead == kHiraganaLead) {
    if (trail >= kHiraganaFirstTrail) return kHiraganaTable[trail];
    if (trail >= kFullWidthDigitTrails[0] && trail <= kFullWidthDigitTrails[1]) {
      return One(static_cast<uint8_t>(trail - 31));
    }
    if (trail >= kFullWidthCapitalTrails[0] && trail <= kFullWidthCapitalTrails[1]) {
      return One(static_cast<uint8_t>(trail - 22));
    }
  }
  if (lead == kKatakanaLead && trail < kKatakanaEndTrail) return kKatakanaTable[trail];
  uint16_t sjis = static_cast<uint16_t>(lead << 8 | trail);
  for (const SymbolEntry& s : kSymbolTable) {
    if (s.sjis == sjis) return One(s.code);
  }
  return {};
}

}  // namespace

int SjisToGlyphCodes(std::string_view text, std::span<uint8_t> out) {
  if (out.empty()) return 0;
  const size_t room = out.size() - 1;  // the NUL always fits
  size_t n = 0;
  size_t i = 0;
  while (i < text.size() && text[i] != 0) {
    uint8_t b = Byte(text[i]);
    GlyphRun run;
    if (b < 0x80) {
      run = One(kByteTable[b]);
      i += 1;
    } else if (plat::IsSjisLeadByte(b)) {
      if (i + 1 >= text.size() || text[i + 1] == 0) break;
      run = ConvertDoubleByte(b, Byte(text[i + 1]));
      i += 2;
    } else {
      i += 1;  // half-width kana and unused bytes have no glyph
    }
    if (run.count == 1 && run.codes[0] == kGlyphEnd) break;
    if (n + run.count > room) break;
    for (int k = 0; k < run.count; ++k) out[n++] = run.codes[k];
  }
  out[n] = kGlyphEnd;
  return static_cast<int>(n);
}

}  // namespace game
