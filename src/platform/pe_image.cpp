#include "platform/pe_image.h"

namespace trevanil::pe {

ReadResult readImage(const std::uint8_t*, std::size_t) {
    ReadResult result;
    result.problem = "no es una imagen de Windows";
    return result;
}

}  // namespace trevanil::pe
