// The component-model names the toolkit uses without qualification; the
// model itself lives in platform/core.
#pragma once

#include "platform/core/Classes.h"

namespace ui {

using core::Abort;
using core::Create;
using core::EAbort;
using core::EToolkitError;
using core::FactoryOf;
using core::FreeAndNil;
using core::MakeProp;
using core::SameText;
using core::TClassInfo;
using core::TComponent;
using core::TComponentClass;
using core::TNotifyEvent;
using core::TOperation;
using core::TPropInfo;
using core::TPropKind;
using core::TPropValue;
using core::TStrings;

}  // namespace ui
