#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/home_page.h"
#include "app/sidebar.h"
#include "base/wide.h"
#include "engine/system_facts.h"
#include "tests/app/ui_setup.h"
#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"
#include "widgets/ui_font_table.h"

namespace {

// One text as the page draws it, with the height of the font it was drawn in.
struct drawn_text {
  std::wstring text;
  int x, y;
  LONG font_height;
};

struct record_reader {
  std::map<DWORD, LONG> font_heights;  // by object index
  LONG current = 0;
  std::vector<drawn_text> texts;

  static int CALLBACK read(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM p) {
    auto* self = reinterpret_cast<record_reader*>(p);
    switch (r->iType) {
      case EMR_EXTCREATEFONTINDIRECTW: {
        auto* f = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(r);
        self->font_heights[f->ihFont] = f->elfw.elfLogFont.lfHeight;
        break;
      }
      case EMR_SELECTOBJECT: {
        auto* o = reinterpret_cast<const EMRSELECTOBJECT*>(r);
        auto found = self->font_heights.find(o->ihObject);
        if (found != self->font_heights.end()) self->current = found->second;
        break;
      }
      case EMR_EXTTEXTOUTW: {
        auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(r);
        auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) +
                                                       t->emrtext.offString);
        self->texts.push_back({std::wstring(chars, t->emrtext.nChars),
                               int(t->emrtext.ptlReference.x), int(t->emrtext.ptlReference.y),
                               self->current});
        break;
      }
      default:
        break;
    }
    return 1;
  }
};

// The page's painting recorded into a metafile: its texts, places and fonts.
std::vector<drawn_text> record_paint(home_window_c& page) {
  RECT client = gui::client_rect(page);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
  ReleaseDC(nullptr, screen);
  page.paint(dc, client);
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  record_reader reader;
  EnumEnhMetaFile(nullptr, file, &record_reader::read, &reader, nullptr);
  DeleteEnhMetaFile(file);
  return reader.texts;
}

const drawn_text* text_at(const std::vector<drawn_text>& texts, int x, int y) {
  for (const drawn_text& t : texts)
    if (t.x == x && t.y == y) return &t;
  return nullptr;
}

std::wstring text_of(const char* key) { return as_wide(get_text(key)); }

LONG height_of(const char* language, const char* font) {
  for (const ui_font_spec& f : build_ui_font_set(language, 61).fonts)
    if (std::string(f.name) == font) return f.height;
  return 0;
}

home_facts given_facts;
home_facts read_given_facts() { return given_facts; }

struct page_fixture : testing::Test {
  ui_setup ui{test_language()};
  gui::recording_window host{800, 600};
  home_window_c page;

  void SetUp() override {
    given_facts = {u"Contoso", u"Desk 400", u"Windows 7 Professional", u"Test CPU 3 GHz",
                   u"Test Display", u"Test Sound"};
    page.read_facts = &read_given_facts;
    RECT area = {187, 0, 800, 600};
    ASSERT_TRUE(page.create_page(host.handle(), host.handle(), area));
    SetForegroundWindow(host.handle());
    gui::pump_for(50);
  }
  home_layout layout() {
    RECT c = gui::client_rect(page);
    return layout_home_page({c.right, c.bottom, 308, 91, 421, 49, text_y_adjust_small,
                             text_y_adjust_large});
  }
};

TEST_F(page_fixture, StartButtonCentredAboveTheMiddleForTwoSizes) {
  ASSERT_NE(page.start_button.handle(), nullptr);
  EXPECT_EQ(gui::window_text(page.start_button), text_of("btn_start_scan"));
  RECT r = gui::rect_in_parent(page.start_button);
  // 613 x 600: ((613 - 308) / 2, (600 - 91) / 2 - 40)
  EXPECT_EQ(r.left, 152);
  EXPECT_EQ(r.top, 214);
  EXPECT_EQ(r.right - r.left, 308);
  EXPECT_EQ(r.bottom - r.top, 91);
  MoveWindow(page, 187, 0, 900, 451, TRUE);
  r = gui::rect_in_parent(page.start_button);
  EXPECT_EQ(r.left, 296);
  EXPECT_EQ(r.top, 140);
  EXPECT_EQ(r.right - r.left, 308);
}

TEST_F(page_fixture, StartButtonStartsTheScan) {
  gui::click_at(page.start_button, 150, 45);
  ASSERT_TRUE(gui::pump_until([&] { return host.count(WM_APP_START_SCAN) == 1; }, 2000));
  gui::pump_for(50);
  EXPECT_EQ(host.count(WM_APP_START_SCAN), 1);
}

TEST_F(page_fixture, CaptionsWelcomeAndFactRowsInTheirPlaces) {
  std::vector<drawn_text> texts = record_paint(page);
  home_layout l = layout();
  LONG caption = height_of(test_language(), home_caption_font(test_language()[0] == 'j'));
  const char* captions[] = {"home_scan", "btn_download", "btn_install"};
  for (int i = 0; i < 3; ++i) {
    const drawn_text* t = text_at(texts, l.captions[i].x, l.captions[i].y);
    ASSERT_NE(t, nullptr) << captions[i];
    EXPECT_EQ(t->text, text_of(captions[i]));
    EXPECT_EQ(t->font_height, caption);
  }
  const drawn_text* welcome = text_at(texts, 33, 23 + text_y_adjust_large);
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(welcome->text, text_of("home_welcome"));
  EXPECT_EQ(welcome->font_height, height_of(test_language(), "font_normal_13"));
  const drawn_text* heading = text_at(texts, 70, 600 - 190 + 3 + text_y_adjust_small);
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->text, text_of("home_hardware_info"));

  const char* labels[] = {"home_manu", "home_model", "home_cpu", "home_video", "home_sound"};
  const std::u16string shown[] = {given_facts.maker, given_facts.model, given_facts.processor,
                                  given_facts.display, given_facts.sound};
  for (int i = 0; i < 5; ++i) {
    int y = 600 - 190 + 40 + 28 * i;
    const drawn_text* label = text_at(texts, 35, y);
    const drawn_text* value = text_at(texts, 185, y);
    ASSERT_NE(label, nullptr) << i;
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(label->text, text_of(labels[i]));
    EXPECT_EQ(value->text, as_wide(shown[i]));
    EXPECT_EQ(value->font_height, height_of(test_language(), "font_normal_9"));
  }
}

TEST_F(page_fixture, OemMakerShowsTheSystemAndEmptyFactsLeaveTheirValueEmpty) {
  given_facts.maker = u"OEM";
  given_facts.sound = u"";
  std::vector<drawn_text> texts = record_paint(page);
  const drawn_text* label = text_at(texts, 35, 600 - 190 + 68);
  const drawn_text* value = text_at(texts, 185, 600 - 190 + 68);
  ASSERT_NE(label, nullptr);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(label->text, text_of("home_os"));
  EXPECT_EQ(value->text, L"Windows 7 Professional");
  EXPECT_NE(text_at(texts, 35, 600 - 190 + 152), nullptr);
  EXPECT_EQ(text_at(texts, 185, 600 - 190 + 152), nullptr);
}

TEST_F(page_fixture, ShowsTheFactsOfThisMachine) {
  ASSERT_EQ(query_wmi_facts(), 0);
  page.read_facts = &current_home_facts;
  home_facts facts = current_home_facts();
  auto rows = home_fact_rows(facts);
  std::vector<drawn_text> texts = record_paint(page);
  int shown = 0;
  for (int i = 0; i < 5; ++i) {
    int y = 600 - 190 + 40 + 28 * i;
    const drawn_text* label = text_at(texts, 35, y);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text, text_of(rows[size_t(i)].label_key));
    const drawn_text* value = text_at(texts, 185, y);
    if (rows[size_t(i)].value.empty()) {
      EXPECT_EQ(value, nullptr);
    } else {
      ASSERT_NE(value, nullptr);
      EXPECT_EQ(value->text, as_wide(rows[size_t(i)].value));
      ++shown;
    }
  }
  EXPECT_GE(shown, 3);  // this machine's maker, model and processor at least
}

namespace {
int facts_reads = 0;
home_facts count_current_facts() {
  ++facts_reads;
  return current_home_facts();
}
}  // namespace

// A page made while the start-up read of the facts runs shows their labels without values, and
// paints itself again with the values once the read has ended.
TEST_F(page_fixture, WhileTheFactsAreReadShowsNoneAndPaintsThemOnceTheyAreIn) {
  const std::u16string kept_maker = system_maker, kept_cpu = processor_name;
  wmi_facts_begin();
  home_window_c later;
  later.read_facts = &count_current_facts;
  RECT area = {187, 0, 800, 600};
  ASSERT_TRUE(later.create_page(host.handle(), host.handle(), area));
  system_maker = u"Contoso";  // what the read brings in
  processor_name = u"Test CPU 3 GHz";
  gui::pump_for(300);
  const int y_maker = 600 - 190 + 40, y_cpu = 600 - 190 + 40 + 28 * 2;
  std::vector<drawn_text> texts = record_paint(later);
  EXPECT_NE(text_at(texts, 35, y_maker), nullptr);
  EXPECT_EQ(text_at(texts, 185, y_maker), nullptr);
  EXPECT_EQ(text_at(texts, 185, y_cpu), nullptr);

  const int reads_before = facts_reads;
  wmi_facts_end();
  gui::pump_for(300);
  EXPECT_GT(facts_reads, reads_before);  // painted again by itself
  texts = record_paint(later);
  const drawn_text* maker = text_at(texts, 185, y_maker);
  const drawn_text* cpu = text_at(texts, 185, y_cpu);
  ASSERT_NE(maker, nullptr);
  ASSERT_NE(cpu, nullptr);
  EXPECT_EQ(maker->text, L"Contoso");
  EXPECT_EQ(cpu->text, L"Test CPU 3 GHz");
  system_maker = kept_maker;
  processor_name = kept_cpu;
}

TEST_F(page_fixture, JapaneseCaptionsUseTheTwelvePointFont) {
  // Reload as Japanese whatever language the run chose.
  delete_ui_objects();
  load_language(u"ja");
  create_ui_fonts("ja", 61);
  create_brushes();
  create_pens();
  std::vector<drawn_text> texts = record_paint(page);
  EXPECT_EQ(page.caption_font, font_normal_12);
  home_layout l = layout();
  const drawn_text* t = text_at(texts, l.captions[0].x, l.captions[0].y);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->text, text_of("home_scan"));
  EXPECT_EQ(t->font_height, height_of("ja", "font_normal_12"));
  EXPECT_NE(height_of("ja", "font_normal_12"), height_of("ja", "font_normal_13"));
  const drawn_text* welcome = text_at(texts, 33, 23 + text_y_adjust_large);
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(welcome->font_height, height_of("ja", "font_normal_13"));
}

// With VANTORIL_SHOT_DIR set: the page beside the navigation bar, with this machine's facts.
TEST_F(page_fixture, Screenshot) {
  const char* dir = std::getenv("VANTORIL_SHOT_DIR");
  if (!dir) GTEST_SKIP() << "no VANTORIL_SHOT_DIR";
  query_wmi_facts();
  page.read_facts = &current_home_facts;
  sidebar_window_c bar;
  RECT left = {0, 0, 187, 600};
  ASSERT_TRUE(bar.create_bar(host.handle(), host.handle(), left));
  InvalidateRect(page, nullptr, FALSE);
  gui::pump_for(300);
  EXPECT_TRUE(gui::save_screen_bmp(host.handle(),
                                   shot_folder(dir) + L"\\home" + shot_suffix() + L".bmp"));
}

}  // namespace
