// A failure of the platform caught where a procedure handles it: the
// error's number and description, or "no memory" (7) for a failed
// allocation, handed to the handler. Ignore-and-continue is the handler
// that does nothing.
#pragma once

#include <new>

#include "platform/error.h"

namespace trevanil {

template <class Statement, class Handler>
void trapErrors(Statement&& statement, Handler&& handler) {
    try {
        statement();
    } catch (const PlatformError& error) {
        handler(error);
    } catch (const std::bad_alloc&) {
        handler(PlatformError(errnum::outOfMemory));
    }
}

// Runs one statement; a platform failure abandons that statement only and
// execution goes on with the next one.
template <class Statement>
void resumeNext(Statement&& statement) noexcept {
    trapErrors(statement, [](const PlatformError&) {});
}

}  // namespace trevanil
