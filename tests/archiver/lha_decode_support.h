// Decoding a bare compressed stream with liblhasa, as the tests of the
// encoder check it.
#pragma once

#include <lha_decoder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "archiver/LhaWriter.h"
#include "writer_test_support.h"

namespace writer_test {

struct Source {
    const Bytes* bytes;
    std::size_t at = 0;
};

inline std::size_t ReadSource(void* buffer, std::size_t size, void* data) {
    auto* source = static_cast<Source*>(data);
    const std::size_t step = std::min(size, source->bytes->size() - source->at);
    std::memcpy(buffer, source->bytes->data() + source->at, step);
    source->at += step;
    return step;
}

// What liblhasa makes of a compressed stream.
inline Bytes Decode(const Bytes& packed, lha::Method method, std::size_t length) {
    std::string name = lha::MethodId(method);
    Source source{&packed};
    LHADecoder* decoder =
        lha_decoder_new(lha_decoder_for_name(name.data()), ReadSource, &source, length);
    EXPECT_NE(decoder, nullptr);
    Bytes out(length + 1024);
    std::size_t got = 0;
    while (decoder != nullptr && got < out.size()) {
        const std::size_t step = lha_decoder_read(decoder, out.data() + got, out.size() - got);
        if (step == 0) {
            break;
        }
        got += step;
    }
    if (decoder != nullptr) {
        lha_decoder_free(decoder);
    }
    out.resize(got);
    return out;
}

}  // namespace writer_test
