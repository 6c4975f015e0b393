#include "app/WelcomeMain.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"

namespace zt {

namespace {

std::optional<plat::Dictionary> bundleDictionary(const std::string& name)
{
    auto path = plat::Bundle::mainBundle().pathForResource(name, "plist");
    if (!path)
        return std::nullopt;
    return plat::dictionaryWithContentsOfFile(*path);
}

std::string infoString(const std::string& key)
{
    plat::Value value = plat::Bundle::mainBundle().objectForInfoDictionaryKey(key);
    const std::string* text = value.asString();
    return text ? *text : std::string();
}

}  // namespace

void WelcomeMain::handleWelcome(const std::function<void(const plat::Dictionary& features)>& show)
{
    auto list = features();
    const bool due = list && !list->empty() && !getHasSeen();
    // Marked first: the screen the block presents may lead to another check.
    setHasSeen(true);
    if (due && show)
        show(*list);
}

bool WelcomeMain::isDue()
{
    auto list = features();
    return list && !list->empty() && !getHasSeen();
}

std::optional<plat::Dictionary> WelcomeMain::features()
{
    return bundleDictionary("Welcome");
}

bool WelcomeMain::getHasSeen()
{
    return plat::UserDefaults::standardUserDefaults().boolForKey(storageKey());
}

void WelcomeMain::setHasSeen(bool seen)
{
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    defaults.setBool(seen, storageKey());
    defaults.synchronize();
}

std::string WelcomeMain::storageKey()
{
    return infoString("CFBundleIdentifier") + ".welcome";
}

void WelcomeMain::reset()
{
    setHasSeen(false);
}

void QVWhatsNew::handleWhatsNew(const std::function<void(const plat::Dictionary& versions)>& show)
{
    auto versions = whatsNew();
    if (versions && !versions->empty() && show)
        show(*versions);
    updateLastAppVersion();
}

std::optional<plat::Dictionary> QVWhatsNew::whatsNew()
{
    auto last = lastAppVersion();
    if (!last)
        return std::nullopt;
    auto all = allFeatures();
    if (!all)
        return plat::Dictionary();
    return versionsBetween(*all, *last, appVersion());
}

plat::Dictionary QVWhatsNew::versionsBetween(
    const plat::Dictionary& all, const std::string& last, const std::string& current)
{
    plat::Dictionary selected;
    for (const auto& [version, features] : all) {
        if (compareVersions(version, last) > 0 && compareVersions(version, current) <= 0)
            selected.set(version, features);
    }
    return selected;
}

std::optional<plat::Dictionary> QVWhatsNew::allFeatures()
{
    return bundleDictionary("What's New");
}

std::string QVWhatsNew::appVersion()
{
    return infoString("CFBundleShortVersionString");
}

std::optional<std::string> QVWhatsNew::lastAppVersion()
{
    return plat::UserDefaults::standardUserDefaults().stringForKey(kLastAppVersionKey);
}

void QVWhatsNew::setLastAppVersion(const std::optional<std::string>& version)
{
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    if (version)
        defaults.setObject(plat::Value(*version), kLastAppVersionKey);
    else
        defaults.removeObjectForKey(kLastAppVersionKey);
    defaults.synchronize();
}

void QVWhatsNew::updateLastAppVersion()
{
    setLastAppVersion(appVersion());
}

void QVWhatsNew::reset()
{
    setLastAppVersion(std::nullopt);
}

int QVWhatsNew::compareVersions(const std::string& left, const std::string& right)
{
    return plat::Device::compareVersions(left, right);
}

}  // namespace zt
