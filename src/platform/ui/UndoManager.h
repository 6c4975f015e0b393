#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/ui/Object.h"

namespace plat {

// Notification names, with the platform's values; the object is the manager.
inline constexpr const char* UndoManagerWillUndoChangeNotification = "NSUndoManagerWillUndoChangeNotification";
inline constexpr const char* UndoManagerDidUndoChangeNotification = "NSUndoManagerDidUndoChangeNotification";
inline constexpr const char* UndoManagerWillRedoChangeNotification = "NSUndoManagerWillRedoChangeNotification";
inline constexpr const char* UndoManagerDidRedoChangeNotification = "NSUndoManagerDidRedoChangeNotification";
inline constexpr const char* UndoManagerDidCloseUndoGroupNotification = "NSUndoManagerDidCloseUndoGroupNotification";

// The platform's undo manager: operations registered with a target go into
// groups (nested groups allowed); undo runs the newest top-level group's
// operations, newest first, and what they register meanwhile becomes the
// redo group, and the other way round. With groupsByEvent (the default) a
// group opens by itself at the first registration or explicit group of a
// turn of the main run loop and closes at the end of that turn. Targets
// are weak: an operation whose target is gone is skipped. Reached through
// the responder chain (Responder::undoManager; each window has one).
// Main thread.
class UndoManager : public Object {
public:
    UndoManager();
    ~UndoManager() override;

    void beginUndoGrouping();
    // Closing a group that was never opened is a programmer error.
    void endUndoGrouping();
    int64_t groupingLevel() const { return static_cast<int64_t>(_open.size()); }
    bool groupsByEvent() const { return _groupsByEvent; }
    void setGroupsByEvent(bool groups) { _groupsByEvent = groups; }
    // Top-level groups kept (the oldest go first); 0 keeps all.
    size_t levelsOfUndo() const { return _levelsOfUndo; }
    void setLevelsOfUndo(size_t levels);

    // Registers the operation that undoes a change of target.
    template <typename T> void registerUndoWithTarget(T* target, std::function<void(T&)> operation)
    {
        static_assert(std::is_base_of_v<Object, T>, "targets are toolkit objects");
        registerAction(target, [target, operation = std::move(operation)] { operation(*target); });
    }
    // Without registering, an undo or redo that runs meanwhile registers nothing.
    void disableUndoRegistration() { ++_registrationDisabled; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return _registrationDisabled == 0; }

    // The name of the group being built, or else of the group undo or redo would run next.
    void setActionName(std::string name);
    std::string undoActionName() const;
    std::string redoActionName() const;
    // "Undo Delete" or "Undo", as a menu shows them.
    std::string undoMenuItemTitle() const;
    std::string redoMenuItemTitle() const;

    bool canUndo() const;
    bool canRedo() const { return !_redoStack.empty(); }
    // Closes the open event group first; undoing while an explicit group is
    // open is a programmer error.
    void undo();
    void redo();
    bool isUndoing() const { return _undoing; }
    bool isRedoing() const { return _redoing; }

    void removeAllActions();
    void removeAllActionsWithTarget(const Object* target);

private:
    struct Entry;
    struct Group {
        std::string name;
        std::vector<Entry> entries;
    };
    struct Entry {
        const Object* target = nullptr;  // nullptr for a nested group
        std::weak_ptr<const void> lifetime;
        std::function<void()> operation;
        std::shared_ptr<Group> group;
    };

    void registerAction(const Object* target, std::function<void()> operation);
    void openEventGroupIfNeeded();
    void closeEventGroup();
    void pushTopLevel(std::shared_ptr<Group> group);
    void runGroup(const Group& group);
    static bool removeTarget(Group& group, const Object* target);
    void post(const char* name);

    std::vector<std::shared_ptr<Group>> _open;
    std::vector<std::shared_ptr<Group>> _undoStack;
    std::vector<std::shared_ptr<Group>> _redoStack;
    bool _groupsByEvent = true;
    bool _eventGroupOpen = false;
    size_t _levelsOfUndo = 0;
    int _registrationDisabled = 0;
    bool _undoing = false;
    bool _redoing = false;
};

}  // namespace plat
