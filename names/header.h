// The reader of an aircraft SDK header: the C/C++ declarations such headers
// use, laid out as the add-on's compiler lays them out (Microsoft x64:
// natural alignment under #pragma pack, int and long 4 bytes, bool 1,
// pointers 8, enums 4), and the integer constants the header defines, in its
// own order.
//
// It reads typedefs, structures and unions (nested, anonymous), enums,
// arrays of several dimensions sized by constant arithmetic over #define,
// enum and const constants, comments, conditional blocks (#ifndef guards,
// #ifdef __cplusplus), extern "C" and namespace blocks, and skips function
// declarations and bodies, #include and the other preprocessor lines.
// Anything else that could change a layout (bit-fields, templates, base
// classes, virtual functions, alignas) is refused with its line: a header
// half understood would name fields wrongly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::names {

enum class TypeKind : std::uint8_t { Scalar, Record, Array, Void, Incomplete };

// One type of the header. Scalars and pointers have a size and alignment;
// a record points into Header::records; an array has an element type and a
// count (int a[2][3] is an array of 2 arrays of 3).
struct Type {
    TypeKind kind = TypeKind::Scalar;
    std::uint64_t size = 0;
    std::uint64_t align = 1;
    int record = -1;
    int element = -1;
    std::uint64_t count = 0;
    int depth = 0;  // how deeply records and arrays nest inside it
};

struct Member {
    std::string name;  // empty for an anonymous structure or union
    int type = -1;
    std::uint64_t offset = 0;
    int line = 0;
};

struct Record {
    std::string name;  // its tag or, for an untagged one, its first typedef name
    std::vector<std::string> aliases;  // tag and typedef names it goes by
    bool is_union = false;
    std::vector<Member> members;
    std::uint64_t size = 0;
    std::uint64_t align = 1;
    int line = 0;
    int pack = 0;  // the #pragma pack in effect where it was defined
};

// An integer constant as a command candidate: a #define of an integer, or an
// enumerator of an enum that gives values; used_in_layout when the header
// sizes something with it (then it is no command).
struct Constant {
    std::string name;
    std::int64_t value = 0;
    int line = 0;
    bool used_in_layout = false;
};

struct Header {
    std::vector<Type> types;
    std::vector<Record> records;
    std::vector<Constant> constants;  // in the header's own order
};

// Reads the header's text. False with "FILE:LINE: what" when a construct
// cannot be read; header is then left as it was.
bool read_header(const std::string& text, const std::string& file, Header& header,
                 std::string& error);

// Where an offset of a record falls.
struct Location {
    enum Kind : std::uint8_t { Start, Inside, Padding } kind = Padding;
    std::string name;          // the field: "MCP.SPEED_DIGITS[2]"; for Padding the field before
    std::uint64_t offset = 0;  // where that field starts
    std::uint64_t size = 0;    // its size
    int line = 0;              // its declaration's line
    // When the field is an element of an array of scalars: the array's name
    // (without the index), the index and the array's length.
    std::string array;
    std::uint64_t index = 0;
    std::uint64_t length = 0;
};

// The scalar field at, around or before offset (which lies within the
// record). In a union the first member with a field starting there wins.
Location locate(const Header& header, int record, std::uint64_t offset);

}  // namespace corvane::names
