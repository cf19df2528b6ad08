#include "widgets/language.h"

#include <map>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "base/text.h"

namespace {

struct language_code {
  const char16_t* code;
  const char16_t* name;
};

const language_code known_languages[] = {
    {u"en", u"English"},  {u"de", u"Deutsch"},   {u"fr", u"Fran\u00e7ais"},
    {u"es", u"Espa\u00f1ol"}, {u"zh", u"\u7b80\u4f53\u4e2d\u6587"}, {u"tw", u"\u7e41\u9ad4\u4e2d\u6587"},
    {u"it", u"Italiano"}, {u"ja", u"\u65e5\u672c\u8a9e"}, {u"pt", u"Portugu\u00eas"},
    {u"nl", u"Nederlands"}, {u"ar", u"\u0627\u0644\u0639\u0631\u0628\u064a\u0629"},
};

// Each language but English has its own host of the web site.
struct language_host {
  const char16_t* name;
  const char16_t* host;
};
const language_host language_hosts[] = {
    {u"Deutsch", u"https://de.vantoril.com"},      {u"Fran\u00e7ais", u"https://fr.vantoril.com"},
    {u"Espa\u00f1ol", u"https://es.vantoril.com"}, {u"\u7b80\u4f53\u4e2d\u6587", u"https://cn.vantoril.com"},
    {u"\u7e41\u9ad4\u4e2d\u6587", u"https://tw.vantoril.com"}, {u"Italiano", u"https://it.vantoril.com"},
    {u"\u65e5\u672c\u8a9e", u"https://jp.vantoril.com"}, {u"Portugu\u00eas", u"https://pt.vantoril.com"},
    {u"Nederlands", u"https://nl.vantoril.com"},   {u"\u0627\u0644\u0639\u0631\u0628\u064a\u0629", u"https://ar.vantoril.com"},
};
const char16_t default_host[] = u"https://www.vantoril.com";

struct language_state {
  // Guards the table, the list and the index: readers on other threads see a parse's
  // changes all at once or not at all.
  std::mutex table_lock;
  std::map<std::string, const char16_t*, std::less<>> texts;
  std::vector<std::u16string> names;
  int current_index = 0;
  std::string_view resource;

  // One parse at a time. Texts handed out are never freed: the pool only grows, and equal
  // texts share one entry, so switching languages back and forth costs nothing more.
  std::mutex parse_lock;
  std::unordered_set<std::u16string> pool;
};

language_state& state() {
  // Never destroyed: a worker may still look up a text while the process exits.
  static language_state& s = *new language_state;
  return s;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool any_but_line_end(char c) { return c != '\n' && c != '\r'; }

bool all_of(std::string_view s, bool (*pred)(char)) {
  for (char c : s)
    if (!pred(c)) return false;
  return true;
}

// The name of the current language; English when the index is outside the list.
std::u16string current_name(const language_state& st) {
  if (st.current_index < 0 || size_t(st.current_index) >= st.names.size()) return u"English";
  return st.names[size_t(st.current_index)];
}

std::u16string current_name() {
  language_state& st = state();
  std::lock_guard<std::mutex> g(st.table_lock);
  return current_name(st);
}

std::string_view next_line(std::string_view& rest) {
  size_t lf = rest.find('\n');
  std::string_view line = rest.substr(0, lf);
  rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The entry form: optional blanks, a key that does not start with ';', '=', then a quoted
// non-empty text and optional blanks. Matches as the greedy pattern would: the key runs to
// the last '=' that still leaves a quoted text behind it.
bool match_entry(std::string_view line, language_line& out) {
  size_t last = line.size();
  while (last > 0 && is_blank(line[last - 1])) --last;
  if (last == 0 || line[last - 1] != '"') return false;
  const size_t close = last - 1;
  size_t lead = 0;
  while (lead < line.size() && is_blank(line[lead])) ++lead;
  // The text holds no line end, so its opening quote stands after the last one.
  size_t text_from = 0;
  for (size_t i = close; i-- > 0;)
    if (!any_but_line_end(line[i])) {
      text_from = i + 1;
      break;
    }
  // The key starts after the leading blanks; when that character is ';', a blank given back
  // by the blanks may start it instead. A start further left can match no more than that
  // blank does, so two starts are all there is to try (trying each made long lines cubic).
  for (size_t k = lead + 1; k-- > 0 && k + 1 >= lead;) {
    if (k == line.size() || line[k] == ';') continue;
    // The key runs to the '=' unless a line end stops it first; then only blanks may follow.
    size_t stop = k + 1;
    while (stop < line.size() && any_but_line_end(line[stop])) ++stop;
    size_t blanks_to = stop;
    while (blanks_to < line.size() && is_blank(line[blanks_to])) ++blanks_to;
    for (size_t eq = close; eq-- > k + 1;) {
      if (line[eq] != '=' || (stop < eq && blanks_to < eq)) continue;
      size_t open = eq + 1;
      while (open < close && is_blank(line[open])) ++open;
      if (open >= close || line[open] != '"' || close - open < 2 || open < text_from) continue;
      out.kind = language_line::entry;
      out.name = line.substr(k, (stop < eq ? stop : eq) - k);
      out.text = line.substr(open + 1, close - open - 1);
      return true;
    }
  }
  return false;
}

void replace_all(std::string& s, std::string_view from, char to) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += s[i++];
    }
  }
  s.swap(out);
}

}  // namespace

language_line classify_language_line(std::string_view line) {
  language_line out;
  size_t lead = 0;
  while (lead < line.size() && is_blank(line[lead])) ++lead;
  size_t last = line.size();
  while (last > lead && is_blank(line[last - 1])) --last;
  if (last - lead >= 2 && line[lead] == '[' && line[last - 1] == ']') {
    std::string_view name = line.substr(lead + 1, last - lead - 2);
    if (all_of(name, any_but_line_end)) {
      out.kind = language_line::section;
      out.name = name;
      return out;
    }
  }
  match_entry(line, out);
  return out;
}

std::string apply_language_escapes(std::string_view text) {
  std::string s(text);
  replace_all(s, "\\t", '\t');
  replace_all(s, "\\n", '\n');
  return s;
}

void parse_language_ini(std::u16string_view code, bool remember_index, bool overwrite) {
  language_state& st = state();
  std::lock_guard<std::mutex> parsing(st.parse_lock);
  std::string_view rest;
  {
    std::lock_guard<std::mutex> g(st.table_lock);
    rest = st.resource;
  }
  const std::u16string chosen = language_code_to_name(code);
  std::vector<std::u16string> names;
  std::vector<std::pair<std::string_view, const char16_t*>> changes;
  int found_index = -1;
  bool in_section = false;
  while (!rest.empty()) {
    std::string_view line = next_line(rest);
    language_line parsed = classify_language_line(line);
    if (parsed.kind == language_line::section) {
      names.push_back(utf8_to_u16(parsed.name));
      if (in_section) {
        in_section = false;
      } else if (equal_ci(names.back(), chosen)) {
        in_section = true;
        if (remember_index) found_index = int(names.size()) - 1;
      }
    } else if (parsed.kind == language_line::entry && in_section) {
      std::u16string text = utf8_to_u16(apply_language_escapes(parsed.text));
      const char16_t* kept = st.pool.insert(std::move(text)).first->c_str();
      changes.emplace_back(parsed.name, kept);
    }
  }
  std::lock_guard<std::mutex> g(st.table_lock);
  st.names.swap(names);
  if (found_index >= 0) st.current_index = found_index;
  for (const auto& change : changes) {
    auto it = st.texts.find(change.first);
    if (it == st.texts.end())
      st.texts.emplace(std::string(change.first), change.second);
    else if (overwrite)
      it->second = change.second;
  }
}

int load_language_from(std::string_view resource, std::u16string_view code) {
  if (resource.empty()) return -1;
  language_state& st = state();
  {
    std::lock_guard<std::mutex> g(st.table_lock);
    st.resource = resource;
  }
  parse_language_ini(code, true, true);
  // English fills what the chosen language lacks; also when the chosen section is missing,
  // which would otherwise leave every text empty.
  bool found;
  {
    std::lock_guard<std::mutex> g(st.table_lock);
    found = st.current_index >= 0 && size_t(st.current_index) < st.names.size() &&
            equal_ci(st.names[size_t(st.current_index)], language_code_to_name(code));
  }
  if (!found || !equal_ci(language_name_to_code(current_name()), u"en"))
    parse_language_ini(u"en", false, false);
  return 0;
}

void unload_language() {
  language_state& st = state();
  std::lock_guard<std::mutex> parsing(st.parse_lock);
  std::lock_guard<std::mutex> g(st.table_lock);
  st.texts.clear();
  st.names.clear();
  st.current_index = 0;
  st.resource = {};
}

int load_language(std::u16string_view code) { return load_language_from(language_resource(), code); }

const char16_t* get_text(std::string_view key) {
  language_state& st = state();
  std::lock_guard<std::mutex> g(st.table_lock);
  auto it = st.texts.find(key);
  return it == st.texts.end() ? u"" : it->second;
}

std::u16string language_code_to_name(std::u16string_view code) {
  for (const auto& l : known_languages)
    if (equal_ci(code, l.code)) return l.name;
  return u"English";
}

std::u16string language_name_to_code(std::u16string_view name) {
  for (const auto& l : known_languages)
    if (equal_ci(name, l.name)) return l.code;
  return u"en";
}

bool is_current_language(std::u16string_view code) {
  return equal_ci(language_name_to_code(current_name()), code);
}

std::vector<std::u16string> language_names() {
  language_state& st = state();
  std::lock_guard<std::mutex> g(st.table_lock);
  return st.names;
}

int current_language_index() {
  language_state& st = state();
  std::lock_guard<std::mutex> g(st.table_lock);
  return st.current_index;
}

std::u16string home_page_url() {
  std::u16string name = current_name();
  for (const auto& h : language_hosts)
    if (equal_ci(name, h.name)) return h.host;
  return default_host;
}

std::u16string support_page_url() { return home_page_url() + u"/support"; }

std::u16string support_email() { return u"support@vantoril.com"; }
