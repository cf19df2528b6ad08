#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "widgets/line_breaks.h"
#include "widgets/paint_layout.h"

namespace {

// Every character (each half of a surrogate pair too) 10 pixels wide and 16 high.
text_extent ten_pixels(char16_t) { return {10, 16}; }

std::vector<std::u16string> lines_of(std::u16string_view text, int width) {
  wrap_plan plan = plan_wrapped_text(text, 0, 0, width, 1000, 0, ten_pixels);
  if (plan.whole_text) return {std::u16string(text)};
  std::vector<std::u16string> out;
  for (const wrapped_line& l : plan.lines) out.emplace_back(text.substr(l.start, l.count));
  return out;
}

std::string shown(const std::vector<std::u16string>& lines) {
  std::string s;
  for (const auto& l : lines) s += "[" + u16_to_utf8(l) + "]";
  return s;
}

TEST(LineBreaks, JapaneseAndEnglishLinesTable) {
  using L = std::vector<std::u16string>;
  struct {
    const char16_t* text;
    int width;
    L lines;
  } cases[] = {
      // A full stop that overflows takes the character before it along.
      {u"できます。", 40, {u"できま", u"す。"}},
      {u"バックアップからドライバーを復元できます。", 200, {u"バックアップからドライバーを復元できま", u"す。"}},
      // Small kana and the long-vowel mark never start a line.
      {u"バックアップ", 40, {u"バック", u"アップ"}},
      {u"ドライバー", 40, {u"ドライ", u"バー"}},
      {u"ｱｲｳｴｯｵ", 40, {u"ｱｲｳ", u"ｴｯｵ"}},
      // An opening mark goes down with what it opens; closing marks and commas stay up.
      {u"あいう「えお」", 40, {u"あいう", u"「えお」"}},
      {u"あいう（えお）か", 40, {u"あいう", u"（えお）", u"か"}},
      {u"あいう」、えお", 40, {u"あい", u"う」、え", u"お"}},
      {u"あいう[すべ", 40, {u"あいう", u"[すべ"}},
      // Dots after Japanese stay on its line; so do question and exclamation marks.
      {u"お待ちください...", 80, {u"お待ちくださ", u"い..."}},
      {u"ですか？", 30, {u"です", u"か？"}},
      // Latin words inside Japanese break only at spaces or where Japanese meets them.
      {u"ab MD5チェック", 60, {u"ab MD5", u"チェック"}},
      {u"ab MD5チェック", 50, {u"ab ", u"MD5", u"チェック"}},
      {u"PC が動作", 40, {u"PC が", u"動作"}},
      // A surrogate pair stays whole.
      {u"あ\U0002000Bい", 20, {u"あ", u"\U0002000B", u"い"}},
      {u"ab\U0001F600cd", 30, {u"ab", u"\U0001F600c", u"d"}},
      // With nowhere allowed to break, the line is cut where it overflows.
      {u"ーーーーー", 30, {u"ーーー", u"ーー"}},
      // English stays at spaces, a word longer than the line cut where it overflows.
      {u"abc defg hij", 60, {u"abc ", u"defg ", u"hij"}},
      {u"abcdefghij", 40, {u"abcd", u"efgh", u"ij"}},
      {u"one, two.", 50, {u"one, ", u"two."}},
      {u"ab\ncd", 100, {u"ab\n", u"cd"}},
  };
  for (auto& c : cases) {
    std::u16string_view text(c.text);
    EXPECT_EQ(shown(lines_of(text, c.width)), shown(c.lines)) << u16_to_utf8(text) << " at " << c.width;
  }
}

TEST(LineBreaks, MarksThatMayNotStartOrEndALine) {
  const std::u16string_view no_start =
      u"、。，．）」』】〉》〕］｝・ー！？：；ゝゞヽヾ々"
      u"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇿ"
      u"｡､｣･ｰｧｯﾞﾟ!),.:;?]}…";
  for (char16_t c : no_start) EXPECT_TRUE(is_no_line_start(c)) << u16_to_utf8(std::u16string(1, c));
  const std::u16string_view no_end = u"（「『【〈《〔［｛｢([{“‘";
  for (char16_t c : no_end) EXPECT_TRUE(is_no_line_end(c)) << u16_to_utf8(std::u16string(1, c));
  for (char16_t c : std::u16string_view(u"あ漢アｱaZ1 -")) {
    EXPECT_FALSE(is_no_line_start(c)) << u16_to_utf8(std::u16string(1, c));
    EXPECT_FALSE(is_no_line_end(c)) << u16_to_utf8(std::u16string(1, c));
  }
}

TEST(LineBreaks, WhereTextBreaksWithoutSpaces) {
  struct {
    const char16_t* text;
    size_t at;
    bool may;
  } cases[] = {
      {u"あい", 1, true},   {u"漢字", 1, true},  {u"aあ", 1, true},    {u"あa", 1, true},
      {u"ab", 1, false},    {u"あ。", 1, false}, {u"「あ", 1, false},   {u"あッ", 1, false},
      {u"a b", 1, false},   {u"a b", 2, false},  {u"あ\u3099", 1, false},  // a combining mark
      {u"\U0002000Bあ", 2, true}, {u"\U0002000Bあ", 1, false}, {u"a\U0001F600", 1, false},
  };
  for (auto& c : cases)
    EXPECT_EQ(may_break_before(c.text, c.at), c.may) << u16_to_utf8(c.text) << " at " << c.at;
}

}  // namespace
