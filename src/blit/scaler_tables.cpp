// The scaler tables: plain loops, and the same with the wide loops of modes 1, 2, 7 and 8.
#include "blit/scalers.h"

namespace tavik {
namespace {

constexpr ScalerTable kPlain = {{ScaleCopy, ScaleDouble, ScaleDoubleInterlaced, ScaleSmooth,
                                 nullptr, nullptr, ScaleConvert, ScaleConvertDouble,
                                 ScaleConvertDoubleInterlaced, ScaleConvertSmooth}};

constexpr ScalerTable kWords = {
    {ScaleCopy, ScaleDoubleWords, ScaleDoubleInterlacedWords, ScaleSmooth, nullptr, nullptr,
     ScaleConvert, ScaleConvertDoubleWords, ScaleConvertDoubleInterlacedWords, ScaleConvertSmooth}};

#if defined(__x86_64__)
constexpr ScalerTable kWide = {{ScaleCopy, ScaleDoubleSse2, ScaleDoubleInterlacedSse2, ScaleSmooth,
                                nullptr, nullptr, ScaleConvert, ScaleConvertDoubleSse2,
                                ScaleConvertDoubleInterlacedSse2, ScaleConvertSmooth}};
#else
constexpr const ScalerTable& kWide = kWords;
#endif

}  // namespace

const ScalerTable& PlainScalers() {
    return kPlain;
}
const ScalerTable& WideScalers() {
    return kWide;
}
const ScalerTable& WordScalers() {
    return kWords;
}

}  // namespace tavik
