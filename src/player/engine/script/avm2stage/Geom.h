#pragma once
// What the flash.geom classes share with the display classes: their objects made and
// read from C++.

#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/common/GeomMath.h"

#include <initializer_list>
#include <string>

namespace quillon::engine::avm2stage {

double Field(avm2::Vm& vm, const avm2::Value& o, const char* name);
void PutField(avm2::Vm& vm, const avm2::Value& o, const char* name, double value);
GeomMatrix ReadMatrix(avm2::Vm& vm, const avm2::Value& m);
avm2::Value NewGeom(avm2::Vm& vm, const char* className, std::initializer_list<double> args);
avm2::Value NewMatrix(avm2::Vm& vm, const GeomMatrix& m);
// "(x=1, y=2)": names and values as the geometry classes print them.
std::string GeomText(avm2::Vm& vm, const avm2::Value& o,
                     std::initializer_list<std::pair<const char*, const char*>> fields);

void InstallGeomClasses(avm2::Vm& vm);
// DisplayObject's transform, bounds, point mapping and hit tests.
void InstallDisplayGeometry(avm2::Vm& vm, avm2::NativeClass& displayObject);
// The width or height (pixels) of what an object off the list draws itself.
double OffListSize(avm2::Vm& vm, avm2::Object* o, bool width);
// The properties DisplayObject keeps for scripts without drawing them (mask, blendMode...).
void InstallStoredProperties(avm2::NativeClass& displayObject);
// flash.filters and DisplayObject.filters; PushFilters hands what a script set before the
// object had a clip to the clip.
void InstallFilterClasses(avm2::Vm& vm, avm2::NativeClass& displayObject);
void PushFilters(avm2::Vm& vm, avm2::Object* o);

} // namespace quillon::engine::avm2stage
