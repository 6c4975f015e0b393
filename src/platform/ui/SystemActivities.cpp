#include "platform/ui/SystemActivities.h"

#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TypeIdentifiers.h"

namespace plat::detail {

namespace {

std::shared_ptr<const Image> imageOf(const std::any& item)
{
    if (const auto* image = std::any_cast<std::shared_ptr<Image>>(&item))
        return *image;
    if (const auto* image = std::any_cast<std::shared_ptr<const Image>>(&item))
        return *image;
    return nullptr;
}

const std::string* textOf(const std::any& item)
{
    return std::any_cast<std::string>(&item);
}

const URL* urlOf(const std::any& item)
{
    return std::any_cast<URL>(&item);
}

class CopyToPasteboard : public Activity {
public:
    std::string activityType() const override { return ActivityTypeCopyToPasteboard; }
    std::string activityTitle() const override { return "Copy"; }
    bool canPerformWithActivityItems(const std::vector<std::any>& items) override
    {
        for (const auto& item : items)
            if (imageOf(item) || textOf(item) || urlOf(item))
                return true;
        return false;
    }
    void prepareWithActivityItems(const std::vector<std::any>& items) override { _items = items; }
    void performActivity() override
    {
        std::vector<PasteboardItem> entries;
        for (const auto& item : _items) {
            PasteboardItem entry;
            if (auto image = imageOf(item)) {
                if (auto png = PNGRepresentation(*image))
                    entry.set(kUTTypePNG, std::move(*png));
            } else if (const std::string* text = textOf(item)) {
                entry.set(kUTTypeUTF8PlainText, Data(text->begin(), text->end()));
            } else if (const URL* url = urlOf(item)) {
                const std::string& link = url->absoluteString();
                entry.set(kUTTypeURL, Data(link.begin(), link.end()));
            }
            if (!entry.representations.empty())
                entries.push_back(std::move(entry));
        }
        _items.clear();
        Pasteboard::generalPasteboard()->setItems(std::move(entries));
        activityDidFinish(true);
    }

private:
    std::vector<std::any> _items;
};

class SaveToCameraRoll : public Activity {
public:
    std::string activityType() const override { return ActivityTypeSaveToCameraRoll; }
    std::string activityTitle() const override { return "Save Image"; }
    bool canPerformWithActivityItems(const std::vector<std::any>& items) override
    {
        for (const auto& item : items)
            if (imageOf(item))
                return true;
        return false;
    }
    void prepareWithActivityItems(const std::vector<std::any>& items) override { _items = items; }
    void performActivity() override
    {
        auto library = PhotoLibrary::forCurrentSandbox();
        bool saved = true;
        for (const auto& item : _items)
            if (auto image = imageOf(item)) {
                auto asset = library.saveImage(*image);
                if (!asset.ok()) {
                    log("share sheet: cannot save a picture: {}", asset.error().localizedDescription());
                    saved = false;
                }
            }
        _items.clear();
        activityDidFinish(saved);
    }

private:
    std::vector<std::any> _items;
};

}  // namespace

std::vector<std::shared_ptr<Activity>> makeSystemActivities()
{
    return {std::make_shared<CopyToPasteboard>(), std::make_shared<SaveToCameraRoll>()};
}

}  // namespace plat::detail
