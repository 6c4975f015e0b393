#pragma once

namespace plat {
// Timed-media assets live in an inline namespace of their own: the photo
// library's asset is plat::Asset too, and without it the two classes would
// share symbol names (their destructors among them) in a program that
// links both libraries, where one would run the other's code.
inline namespace av {
class Asset;
class URLAsset;
}  // namespace av
}  // namespace plat
