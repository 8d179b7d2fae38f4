// Every interface of the automation core, for code that needs most of them.
#pragma once

#include "platform/com/class_info.h"
#include "platform/com/connection_point.h"
#include "platform/com/control_extras.h"
#include "platform/com/data_object.h"
#include "platform/com/dispatch.h"
#include "platform/com/host_ui.h"
#include "platform/com/object_safety.h"
#include "platform/com/ole_object.h"
#include "platform/com/persist.h"
#include "platform/com/service_provider.h"
#include "platform/com/stream.h"
#include "platform/com/unknown.h"
#include "platform/com/view_object.h"
