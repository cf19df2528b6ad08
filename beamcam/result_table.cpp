#include "beamcam/result_table.h"

const char* const MinPeakKey = "Min, Peak";
const char* const PeakLocKey = "Peak Loc ( X, Y )";
const char* const CentroidKey = "Centroid ( X, Y )";
const char* const WidthKey = "Width ( X, Y )";

void result_table_c::set_value(const std::string& key, const std::string& value) {
  size_t i = 0;
  while (i < rows_.size() && rows_[i].first != key) ++i;
  if (i == rows_.size())
    rows_.emplace_back(key, value);
  else
    rows_[i].second = value;
  if (on_row_changed) on_row_changed(i);
}

std::string result_table_c::value(const std::string& key) const {
  for (const row& r : rows_)
    if (r.first == key) return r.second;
  return std::string();
}

void InitResultTable(result_table_c& table) {
  table.set_value(MinPeakKey, "nll");
  table.set_value(PeakLocKey, "null");
  table.set_value(CentroidKey, "null");
  table.set_value(WidthKey, "null");
}
