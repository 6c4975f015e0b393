#pragma once

// The process's one setup of libxml2, shared by every reader of XML (property
// lists, the video service's feeds). No libxml2 header here: callers include
// it themselves in their .cpp.
namespace plat::detail {

// Once per process, any thread: initialises libxml2, keeps its generic
// errors off standard error (each reader reports its own), and sets its
// nesting cap just above the property lists' 512 levels, so that their own
// check, with its own message, is the one that refuses deeper lists.
void initializeXMLParser();

}  // namespace plat::detail
