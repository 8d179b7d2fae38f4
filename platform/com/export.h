// Marks the few functions the module exports; everything else stays hidden.
#pragma once

#define VARN_EXPORT __attribute__((visibility("default")))
