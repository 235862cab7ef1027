#include "encoder/encoder.h"

namespace tavik::enc {

MovieSpec MakeDemoMovie() {
    return {};
}  // filled in below, once the demo lands

}  // namespace tavik::enc
