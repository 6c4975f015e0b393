#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class LayoutConstraint;
class View;
}  // namespace plat

namespace plat::detail {

// The visual format language of layout constraints:
//   (H:|V:)? (| connection)? [view(predicates)] (connection [view(...)])* (connection |)?
// where a connection is nothing (touching), "-" (the standard spacing: 8
// between views, 20 to the superview's edge) or "-predicates-", and a
// predicate is (==|<=|>=)? (number|metric|view) (@priority)?, in
// parentheses when there are several. H formats go leading to trailing.
// Errors are a programmer's: the process stops with the format and the
// place. Main thread (it makes constraints).
std::vector<std::shared_ptr<LayoutConstraint>> parseVisualFormat(const std::string& format, uint64_t options,
    const std::map<std::string, double>& metrics, const std::map<std::string, std::shared_ptr<View>>& views);

}  // namespace plat::detail
