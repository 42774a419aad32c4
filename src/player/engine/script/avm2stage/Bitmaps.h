#pragma once
// What BitmapData's methods and Bitmap share: the pixels behind an object and the
// arguments read the way the player reads them.

#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <memory>

namespace quillon::engine::avm2stage {

// The pixels of a BitmapData; ArgumentError #2015 when it has none (disposed).
BitmapPixels& PixelsOf(avm2::Vm& vm, const avm2::Value& self);
// The pixels of a value if it is a live BitmapData, else none.
std::shared_ptr<BitmapPixels> SharedPixels(avm2::Vm& vm, const avm2::Value& v);
// A Rectangle (TypeError #2007 when null), a Point (origin when null), a ColorTransform.
PixelRect RectArg(avm2::Vm& vm, const avm2::Value& r);
PixelPoint PointArg(avm2::Vm& vm, const avm2::Value& p);
ChannelTransform TransformArg(avm2::Vm& vm, const avm2::Value& ct);
// The pixels of the movie's bitmap that the object's class (or a base) is bound to.
std::shared_ptr<BitmapPixels> SymbolPixels(avm2::Vm& vm, avm2::Object* self);
// A blend mode's name as the format numbers it (normal: 0).
int BlendModeNumber(avm2::Vm& vm, const avm2::Value& v);

// Shows a Bitmap's pixels on its clip, if it has both.
void ShowBitmap(avm2::Vm& vm, avm2::Object* bitmap);

void InstallBitmapDataMethods(avm2::Vm& vm, avm2::NativeClass& cls);
// applyFilter and generateFilterRect (with the filter classes).
void InstallBitmapFilterMethods(avm2::NativeClass& bitmapData);
void InstallBitmapDataClass(avm2::Vm& vm);
void InstallBitmapClass(avm2::Vm& vm, avm2::ClassObject* displayObject);

} // namespace quillon::engine::avm2stage
