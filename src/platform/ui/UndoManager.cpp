#include "platform/ui/UndoManager.h"

#include <algorithm>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

namespace plat {

UndoManager::UndoManager() = default;

UndoManager::~UndoManager()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void UndoManager::setLevelsOfUndo(size_t levels)
{
    _levelsOfUndo = levels;
    if (levels > 0 && _undoStack.size() > levels)
        _undoStack.erase(_undoStack.begin(), _undoStack.end() - static_cast<std::ptrdiff_t>(levels));
    if (levels > 0 && _redoStack.size() > levels)
        _redoStack.erase(_redoStack.begin(), _redoStack.end() - static_cast<std::ptrdiff_t>(levels));
}

void UndoManager::openEventGroupIfNeeded()
{
    if (!_groupsByEvent || !_open.empty() || _undoing || _redoing)
        return;
    _open.push_back(std::make_shared<Group>());
    _eventGroupOpen = true;
    // The group of this turn of the run loop closes once the turn's work is done.
    std::weak_ptr<Object> weakSelf = weak_from_this();
    RunLoop::main().performAfterDelay(this, 0, [weakSelf] {
        if (auto self = std::static_pointer_cast<UndoManager>(weakSelf.lock()))
            self->closeEventGroup();
    });
}

void UndoManager::closeEventGroup()
{
    if (!_eventGroupOpen)
        return;
    if (_open.size() != 1) {
        // An explicit group is still open: the event group waits for the next turn.
        std::weak_ptr<Object> weakSelf = weak_from_this();
        RunLoop::main().performAfterDelay(this, 0, [weakSelf] {
            if (auto self = std::static_pointer_cast<UndoManager>(weakSelf.lock()))
                self->closeEventGroup();
        });
        return;
    }
    _eventGroupOpen = false;
    endUndoGrouping();
}

void UndoManager::beginUndoGrouping()
{
    openEventGroupIfNeeded();
    _open.push_back(std::make_shared<Group>());
}

void UndoManager::endUndoGrouping()
{
    if (_open.empty())
        detail::fatal("UndoManager::endUndoGrouping: no group is open");
    auto group = _open.back();
    _open.pop_back();
    if (_open.size() == 0 && _eventGroupOpen) {
        // An explicit end of the event group itself.
        _eventGroupOpen = false;
        RunLoop::main().cancelPreviousPerformRequests(this);
    }
    if (_open.empty()) {
        if (!group->entries.empty())
            pushTopLevel(group);
    } else if (!group->entries.empty()) {
        Group& parent = *_open.back();
        if (parent.name.empty())
            parent.name = group->name;
        parent.entries.push_back({nullptr, {}, {}, group});
    }
    post(UndoManagerDidCloseUndoGroupNotification);
}

void UndoManager::pushTopLevel(std::shared_ptr<Group> group)
{
    auto& stack = _undoing ? _redoStack : _undoStack;
    stack.push_back(std::move(group));
    if (_levelsOfUndo > 0 && stack.size() > _levelsOfUndo)
        stack.erase(stack.begin());
}

void UndoManager::registerAction(const Object* target, std::function<void()> operation)
{
    if (!target || _registrationDisabled > 0)
        return;
    openEventGroupIfNeeded();
    if (_open.empty())
        detail::fatal("UndoManager: registering outside a group with groupsByEvent off");
    // A new change (not one made by undo or redo) makes what was undone unreachable.
    if (!_undoing && !_redoing)
        _redoStack.clear();
    _open.back()->entries.push_back({target, target->lifetime(), std::move(operation), nullptr});
}

void UndoManager::enableUndoRegistration()
{
    if (_registrationDisabled == 0)
        detail::fatal("UndoManager::enableUndoRegistration without a matching disable");
    --_registrationDisabled;
}

void UndoManager::setActionName(std::string name)
{
    if (!_open.empty()) {
        _open.front()->name = std::move(name);
        return;
    }
    auto& stack = _undoing ? _redoStack : _undoStack;
    if (!stack.empty())
        stack.back()->name = std::move(name);
}

std::string UndoManager::undoActionName() const
{
    if (_eventGroupOpen && _open.size() == 1 && !_open.front()->entries.empty())
        return _open.front()->name;
    return _undoStack.empty() ? std::string() : _undoStack.back()->name;
}

std::string UndoManager::redoActionName() const
{
    return _redoStack.empty() ? std::string() : _redoStack.back()->name;
}

std::string UndoManager::undoMenuItemTitle() const
{
    std::string name = undoActionName();
    return name.empty() ? "Undo" : "Undo " + name;
}

std::string UndoManager::redoMenuItemTitle() const
{
    std::string name = redoActionName();
    return name.empty() ? "Redo" : "Redo " + name;
}

bool UndoManager::canUndo() const
{
    if (!_undoStack.empty())
        return true;
    return _eventGroupOpen && _open.size() == 1 && !_open.front()->entries.empty();
}

void UndoManager::runGroup(const Group& group)
{
    for (auto it = group.entries.rbegin(); it != group.entries.rend(); ++it) {
        if (it->group) {
            runGroup(*it->group);
            continue;
        }
        auto alive = it->lifetime.lock();
        if (!alive)
            continue;
        auto pin = it->target->weak_from_this().lock();
        it->operation();
    }
}

void UndoManager::undo()
{
    auto keepAlive = weak_from_this().lock();
    if (_eventGroupOpen && _open.size() == 1)
        closeEventGroup();
    if (!_open.empty())
        detail::fatal("UndoManager::undo: a group is still open");
    if (_undoStack.empty())
        return;
    auto group = _undoStack.back();
    _undoStack.pop_back();
    post(UndoManagerWillUndoChangeNotification);
    _undoing = true;
    _open.push_back(std::make_shared<Group>());
    _open.back()->name = group->name;
    runGroup(*group);
    auto redoGroup = _open.back();
    _open.pop_back();
    if (!redoGroup->entries.empty())
        pushTopLevel(redoGroup);
    _undoing = false;
    post(UndoManagerDidUndoChangeNotification);
}

void UndoManager::redo()
{
    auto keepAlive = weak_from_this().lock();
    if (!_open.empty())
        detail::fatal("UndoManager::redo: a group is still open");
    if (_redoStack.empty())
        return;
    auto group = _redoStack.back();
    _redoStack.pop_back();
    post(UndoManagerWillRedoChangeNotification);
    _redoing = true;
    _open.push_back(std::make_shared<Group>());
    _open.back()->name = group->name;
    runGroup(*group);
    auto undoGroup = _open.back();
    _open.pop_back();
    if (!undoGroup->entries.empty())
        pushTopLevel(undoGroup);
    _redoing = false;
    post(UndoManagerDidRedoChangeNotification);
}

void UndoManager::removeAllActions()
{
    _undoStack.clear();
    _redoStack.clear();
    for (auto& group : _open)
        group->entries.clear();
}

bool UndoManager::removeTarget(Group& group, const Object* target)
{
    auto& entries = group.entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                      [&](Entry& entry) {
                          if (entry.group)
                              return removeTarget(*entry.group, target);
                          return entry.target == target;
                      }),
        entries.end());
    return entries.empty();
}

void UndoManager::removeAllActionsWithTarget(const Object* target)
{
    for (auto* stack : {&_undoStack, &_redoStack})
        stack->erase(std::remove_if(stack->begin(), stack->end(),
                         [&](const std::shared_ptr<Group>& group) { return removeTarget(*group, target); }),
            stack->end());
    for (auto& group : _open)
        removeTarget(*group, target);
}

void UndoManager::post(const char* name)
{
    NotificationCenter::defaultCenter().post(name, this, {});
}

}  // namespace plat
