// Tables whose answers depend on the code page: each row holds its answer
// under UTF-8, under a single-byte code page and under code page 932.
#pragma once

#include "platform/code_page.h"

#include <gtest/gtest.h>

// Runs `check` with the column of this system's own code page, then with the
// 932 column under code page 932, put back afterwards; where the system
// cannot switch to it, the test is skipped after the first pass.
template <typename Row, typename Answer, typename Check>
void CheckUnderEachCodePage(Answer Row::*utf8, Answer Row::*singleByte, Answer Row::*doubleByte,
                            Check check) {
    check("current", MultibyteCodePage() == kUtf8CodePage ? utf8 : singleByte);
    const int previous = MultibyteCodePage();
    if (!SetMultibyteCodePage(932))
        GTEST_SKIP() << "this system has no double-byte code page to switch to";
    check("932", doubleByte);
    SetMultibyteCodePage(previous);
}
