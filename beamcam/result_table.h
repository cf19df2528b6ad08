// The four-row results table of the beam measurement and the clipboard, as the main form's
// grid and the system clipboard see them. The form binds a grid to `result_table_c` and
// passes its clipboard; the measurement itself stays portable.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class result_table_c {
 public:
  using row = std::pair<std::string, std::string>;  // key, value

  // Sets the value of the row with this key; a key that is not there adds the row.
  void set_value(const std::string& key, const std::string& value);
  // The value of a key, or an empty text when there is no such row.
  std::string value(const std::string& key) const;
  const std::vector<row>& rows() const { return rows_; }

  // Called with the index of each row that was set or added (the grid repaints it).
  std::function<void(size_t)> on_row_changed;

 private:
  std::vector<row> rows_;
};

// Creates the table's four rows with their initial values.
void InitResultTable(result_table_c& table);

extern const char* const MinPeakKey;
extern const char* const PeakLocKey;
extern const char* const CentroidKey;
extern const char* const WidthKey;

// Where the result line goes: the system clipboard in the program, a recorder in tests.
class clipboard_i {
 public:
  virtual ~clipboard_i() = default;
  // Puts a zero-terminated text on the clipboard; does nothing when the clipboard is busy.
  virtual void CopyTextToClipboard(const char* text) = 0;
};
