#pragma once
#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Object.h"

namespace plat {
class Image;
class ViewController;

// The platform's activity types.
inline constexpr const char* ActivityTypePostToFacebook = "com.apple.UIKit.activity.PostToFacebook";
inline constexpr const char* ActivityTypePostToTwitter = "com.apple.UIKit.activity.PostToTwitter";
inline constexpr const char* ActivityTypePostToWeibo = "com.apple.UIKit.activity.PostToWeibo";
inline constexpr const char* ActivityTypeMessage = "com.apple.UIKit.activity.Message";
inline constexpr const char* ActivityTypeMail = "com.apple.UIKit.activity.Mail";
inline constexpr const char* ActivityTypePrint = "com.apple.UIKit.activity.Print";
inline constexpr const char* ActivityTypeCopyToPasteboard = "com.apple.UIKit.activity.CopyToPasteboard";
inline constexpr const char* ActivityTypeAssignToContact = "com.apple.UIKit.activity.AssignToContact";
inline constexpr const char* ActivityTypeSaveToCameraRoll = "com.apple.UIKit.activity.SaveToCameraRoll";
inline constexpr const char* ActivityTypeAddToReadingList = "com.apple.UIKit.activity.AddToReadingList";
inline constexpr const char* ActivityTypePostToFlickr = "com.apple.UIKit.activity.PostToFlickr";
inline constexpr const char* ActivityTypePostToVimeo = "com.apple.UIKit.activity.PostToVimeo";
inline constexpr const char* ActivityTypePostToTencentWeibo = "com.apple.UIKit.activity.TencentWeibo";
inline constexpr const char* ActivityTypeAirDrop = "com.apple.UIKit.activity.AirDrop";

enum class ActivityCategory : int { Action = 0, Share = 1 };

// The platform's activity: one thing the share sheet offers to do with its
// items (of any type: std::any holding what the app hands over). The sheet
// shows it when canPerformWithActivityItems says so; when chosen it is
// prepared with the items, then either its view controller is presented or
// performActivity runs; either way it ends by calling activityDidFinish.
// Apps subclass it for their own activities. Main thread.
class Activity : public Object {
public:
    // By default the class name.
    virtual std::string activityType() const;
    virtual std::string activityTitle() const { return {}; }
    virtual std::shared_ptr<const Image> activityImage() const { return nullptr; }
    virtual ActivityCategory activityCategory() const { return ActivityCategory::Action; }
    virtual bool canPerformWithActivityItems(const std::vector<std::any>&) { return false; }
    virtual void prepareWithActivityItems(const std::vector<std::any>&) { }
    // A screen of the activity's own, presented instead of performActivity.
    virtual std::shared_ptr<ViewController> activityViewController() { return nullptr; }
    // By default finishes at once, not completed.
    virtual void performActivity();
    // The activity is done (completed, or given up): the sheet learns of it.
    void activityDidFinish(bool completed);

private:
    friend class ActivityViewController;
    std::function<void(bool)> _finished;  // set by the sheet that chose it
};

}  // namespace plat
