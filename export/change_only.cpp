// The change-only write: compare with the shadow, queue, update the shadow.
#include "export/change_only.h"

#include "common/numbers.h"

namespace corvane::data_export {

void write_double_if_changed(Writer& out, std::uint32_t offset, double value, double scale,
                             double& shadow) {
    if (value == shadow && !out.resynchronise) {
        return;
    }
    unsigned char scratch[2];
    store_u16(scratch, static_cast<std::uint16_t>(to_int32_trunc(value * scale)));
    fsuipc::write(out.client, offset, sizeof scratch, scratch, out.link_result_code);
    shadow = value;
}

void write_integer_if_changed(Writer& out, std::uint32_t offset, std::uint32_t size,
                              std::int32_t value, std::int32_t& shadow) {
    if (value == shadow && !out.resynchronise) {
        return;
    }
    unsigned char scratch[4];
    store_i32(scratch, value);
    fsuipc::write(out.client, offset, size <= 4 ? size : 4, scratch, out.link_result_code);
    shadow = value;
}

}  // namespace corvane::data_export
