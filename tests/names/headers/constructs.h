/* A header in the style of an aircraft add-on's SDK, written for the
 * reader's tests: every construct the reader lays out, compared field by
 * field with what a compiler for x86_64 Windows gives. */
#ifndef CONSTRUCTS_TEST_SDK_H
#define CONSTRUCTS_TEST_SDK_H

#include <stddef.h>

#define NUM_ENGINES        2
#define NUM_DIGITS         (3 + 2)            /* five digits */
#define ROWS               ((NUM_ENGINES << 1) - 1)
#define TEXT_SIZE          0x10
#define CDU_LINES          (14 * 2 / 2)

#ifdef __cplusplus
extern "C" {
#endif

// Command codes, as such headers give them.
#define KEY_COMMAND_BASE_TEST  1000
enum TestCommands {
    CMD_FIRST = 1232,
    CMD_SECOND,               /* 1233 */
    CMD_NEGATIVE = -4,
    CMD_SHIFTED = 1 << 10
};

enum Mode { MODE_OFF, MODE_ON, MODE_AUTO };
enum { COLUMNS = 3 };

#pragma pack(push, 1)
typedef struct {
    char tag;
    int value;                /* 1: no padding under pack(1) */
    short after;
} Packed1;
#pragma pack(pop)

#pragma pack(push, 4)
struct Packed4 {
    char c;
    double d;                 /* 4: pack(4) caps the double's alignment */
    __int64 wide;
};
#pragma pack(pop)

#pragma pack(2)
typedef struct Packed2 {
    char c;
    int i;                    /* 2 */
    long long ll;
} Packed2, *PPacked2;
#pragma pack()

typedef unsigned char Text[TEXT_SIZE];
typedef struct Engine Engine;    /* declared before its body */

struct Engine {
    double N1, N2;
    BOOL running;
    bool starter;
    float egt[ROWS];
};

typedef union {
    int as_int;
    float as_float;
    char bytes[6];            /* the union is 8 bytes: 6 rounded up to 4 */
} Word;

typedef struct Test_Natural_Struct {
    char first;
    short second;             /* 2 */
    int third;                /* 4 */
    char fourth;
    double fifth;             /* 16 */
    unsigned long long sixth;
    enum Mode mode;
    Engine engines[NUM_ENGINES];
    struct Engine spare;      /* the tag again, after the typedef of the same name */
    int digits[NUM_DIGITS][COLUMNS];
    struct {
        unsigned char lights[ROWS];
        DWORD mask;
    } overhead;               /* a nested structure with a field name */
    struct {
        WORD anon_a;          /* an anonymous one: its fields are the outer ones' */
        BYTE anon_b;
    };
    union {
        int anon_int;
        double anon_double;
    };
    Word words[2];
    Packed1 p1;
    struct Packed4 p4;
    Packed2 p2;
    Text label;
    void* window;
    int (*callback)(int, int);
    char cdu[CDU_LINES][24 + 1];
    wchar_t wide_text[3];
    long tail;
} TestNatural;

// Functions are skipped, with or without a body.
int __stdcall TestSendCommand(int command, int parameter);
static inline int test_helper(int x) { return x + 1; }
typedef void (*TestCallback)(TestNatural* state);

#ifdef __cplusplus
}
#endif

#endif
