// What the page is told about the block, built into it when it is served:
// every offset of the offset map with its kind, type and name (the
// builder's label, else its name in the wiring kit), every annunciator
// field with its mask and states, the knobs (counter, window, step), the
// windows the page shows apart (speed, vertical speed and its sign), and
// the command names the labels give.
#pragma once

#include <string>
#include <string_view>

#include "monitor/labels.h"

namespace corvane::web {

// The description as a JSON object.
std::string page_map_json(const monitor::Labels& labels);

// The page: the built-in document with the description put in its place.
// The JSON is written so that no "</" can end the script element early.
std::string page_document(std::string_view page_template, const std::string& map_json);

// Where the description goes in the page's template.
inline constexpr std::string_view kMapPlaceholder = "/*CORVANE_MAP*/null";

}  // namespace corvane::web
