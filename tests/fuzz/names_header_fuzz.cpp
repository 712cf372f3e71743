// An SDK header as anything at all: the reader must refuse or read it, never
// crash, read out of bounds, overflow or recurse without end, and what it
// reads must hold together: every member inside its record and aligned as
// the record's packing allows, every array the size of its elements, and a
// header it names writes a names.csv that the labels reader takes back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "monitor/labels.h"
#include "names/header.h"
#include "names/naming.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::names;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Header header;
    std::string error;
    if (!read_header(text, "f.h", header, error)) {
        check(error.compare(0, 4, "f.h:") == 0 && error.find('\n') == std::string::npos);
        return 0;
    }
    for (const Type& t : header.types) {
        if (t.kind == TypeKind::Array) {
            const Type& e = header.types[static_cast<std::size_t>(t.element)];
            check(t.size == e.size * t.count && t.count > 0);
        }
    }
    for (const Record& r : header.records) {
        check(r.size % r.align == 0 && !r.members.empty());
        for (const Member& m : r.members) {
            const Type& mt = header.types[static_cast<std::size_t>(m.type)];
            const std::uint64_t align = mt.align < static_cast<std::uint64_t>(r.pack) ? mt.align
                                                                                     : static_cast<std::uint64_t>(r.pack);
            check(m.offset + mt.size <= r.size && m.offset % align == 0);
            check(!r.is_union || m.offset == 0);
        }
        if (r.size > 0) {
            const Location first = locate(header, static_cast<int>(&r - header.records.data()), 0);
            check(first.kind != Location::Inside);
            const Location last = locate(header, static_cast<int>(&r - header.records.data()), r.size - 1);
            check(last.offset <= r.size - 1);
        }
    }
    Naming naming;
    if (name_block(header, "f.h", Choice{}, naming, error)) {
        corvane::monitor::Labels labels;
        check(corvane::monitor::parse_labels(names_csv(naming, "f.h"), labels, error));
        check(labels.commands.size() == naming.commands.size());
        (void)names_lua(naming, "f.h");
        (void)names_c_header(naming, "f.h");
    }
    return 0;
}
