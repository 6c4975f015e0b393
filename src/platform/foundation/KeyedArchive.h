#pragma once

// Keyed archives with the platform's layout: a binary property list
// {"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": UID},
// "$objects": ["$null", ...]} in which every object is an entry of "$objects"
// referenced by UID. See KeyedArchiver and KeyedUnarchiver.
#include "platform/foundation/Coding.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
