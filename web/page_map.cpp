// The page's description of the block (see page_map.h).
#include "web/page_map.h"

#include <nlohmann/json.hpp>

#include "bridge/bridge.h"
#include "bridge/command_tables.h"
#include "bridge/offset_map.h"
#include "export/tables.h"

namespace corvane::web {

namespace {

using nlohmann::json;

// The panel value that carries the vertical speed's sign (SDK1 0x01F4).
std::uint32_t sign_offset() {
    for (const data_export::PanelLine& line : data_export::kPanelLines) {
        if (line.first_source == bridge::kSignFieldOffset && line.last_source == line.first_source) {
            return line.first_offset;
        }
    }
    return 0;
}

const char* kind_key(bridge::OffsetKind kind) {
    switch (kind) {
        case bridge::OffsetKind::CommandWord: return "command";
        case bridge::OffsetKind::Annunciator: return "annunciator";
        case bridge::OffsetKind::ValueByte: return "value";
        case bridge::OffsetKind::Display: return "display";
        case bridge::OffsetKind::Panel: return "panel";
        case bridge::OffsetKind::KnobCounter: return "knob";
        case bridge::OffsetKind::StepCounter: return "step";
        case bridge::OffsetKind::AnnunciatorField: return "field";
        case bridge::OffsetKind::CorvaneState: return "state";
    }
    return "panel";
}

}  // namespace

std::string page_map_json(const monitor::Labels& labels) {
    json offsets = json::array();
    json fields = json::array();
    for (const bridge::OffsetEntry& e : bridge::offset_map_rows()) {
        const bool field = e.kind == bridge::OffsetKind::AnnunciatorField;
        const std::string& label = field ? labels.of_field(e.index) : labels.of(e.offset);
        json row;
        row["offset"] = e.offset;
        row["name"] = label.empty() ? e.symbol : label;
        row["title"] = e.name;
        if (field) {
            row["mask"] = e.mask;
            row["shift"] = e.shift;
            row["states"] = e.states;
            fields.push_back(row);
            continue;
        }
        row["size"] = e.size;
        row["kind"] = kind_key(e.kind);
        row["type"] = e.type == bridge::ValueType::S16 ? "int" : "uint";
        offsets.push_back(row);
    }
    json knobs = json::array();
    for (int k = 0; k < bridge::kKnobCount; ++k) {
        const bridge::KnobRow& row = bridge::kKnobRows[k];
        knobs.push_back({{"name", row.name},
                         {"counter", bridge::kKnobCounterOffset + static_cast<std::uint32_t>(k)},
                         {"display", row.display_offset},
                         {"command", row.command},
                         {"step", row.step}});
    }
    json commands = json::array();
    for (const monitor::Labels::Command& c : labels.commands) {
        commands.push_back({{"code", c.code}, {"name", c.name}});
    }
    json map;
    map["first"] = monitor::kBlockFirst;
    map["size"] = monitor::kBlockSize;
    map["offsets"] = std::move(offsets);
    map["fields"] = std::move(fields);
    map["knobs"] = std::move(knobs);
    map["commands"] = std::move(commands);
    map["speedDisplay"] = data_export::kDisplayWindows[data_export::kSpeedWindow].offset;
    map["vsDisplay"] = data_export::kDisplayWindows[data_export::kVerticalSpeedWindow].offset;
    map["vsSign"] = sign_offset();
    map["negativeSign"] = bridge::kNegativeSign;
    map["blank"] = 0xFFFF;
    map["commandWord"] = bridge::kCommandWordOffset;
    map["valueByte"] = bridge::kValueByteOffset;
    map["stateOffset"] = bridge::kStateOffset;
    map["heartbeatOffset"] = bridge::kHeartbeatOffset;
    return map.dump(-1, ' ', true, json::error_handler_t::replace);
}

std::string page_document(std::string_view page_template, const std::string& map_json) {
    std::string safe;
    safe.reserve(map_json.size());
    for (std::size_t i = 0; i < map_json.size(); ++i) {
        // "<" only appears inside strings here: "\u003c" reads the same.
        if (map_json[i] == '<') {
            safe += "\\u003c";
        } else {
            safe += map_json[i];
        }
    }
    std::string page(page_template);
    const std::size_t at = page.find(kMapPlaceholder);
    if (at != std::string::npos) {
        page.replace(at, kMapPlaceholder.size(), safe);
    }
    return page;
}

}  // namespace corvane::web
