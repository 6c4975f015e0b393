#pragma once
// Screens come on a phone and on a tablet: the two as a test parameter,
// named in the test's name ("Phone", "Tablet").
#include <gtest/gtest.h>
#include <string>

#include "platform/ui/Device.h"

namespace plat::test {

inline auto bothIdioms()
{
    return ::testing::Values(UserInterfaceIdiom::Phone, UserInterfaceIdiom::Pad);
}

inline std::string idiomName(const ::testing::TestParamInfo<UserInterfaceIdiom>& info)
{
    return info.param == UserInterfaceIdiom::Pad ? "Tablet" : "Phone";
}

}  // namespace plat::test
