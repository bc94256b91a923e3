// Ignore-and-continue: run one statement; a platform failure abandons that
// statement only and execution goes on with the next one.
#pragma once

#include <new>

#include "platform/error.h"

namespace trevanil {

template <class Statement>
void resumeNext(Statement&& statement) noexcept {
    try {
        statement();
    } catch (const PlatformError&) {
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace trevanil
