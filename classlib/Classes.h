// The component model: objects with class information, persistent objects, components with owners,
// names and notifications, the class registry, published-property tables, event delegates, lists,
// string lists, collections, streams, threads and the form-resource reader.
#pragma once

// The whole of the component model; a file that needs only some areas includes their headers.
#include "ClassesCore.h"
#include "ClassesCollections.h"
#include "ClassesLists.h"
#include "ClassesStreams.h"
#include "ClassesThreads.h"
#include "ClassesFiler.h"
