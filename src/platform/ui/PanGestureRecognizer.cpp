#include "platform/ui/PanGestureRecognizer.h"

#include <cmath>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace plat {

Point PanGestureRecognizer::vectorInView(Point vector, const View* view) const
{
    if (!view)
        return vector;
    auto window = view->window();
    if (!window)
        return vector;
    Point a = view->convertPointFromView({0, 0}, window.get());
    Point b = view->convertPointFromView(vector, window.get());
    return {b.x - a.x, b.y - a.y};
}

Point PanGestureRecognizer::translationInView(const View* view) const
{
    Point centroid = centroidInWindow();
    return vectorInView({centroid.x - _origin.x, centroid.y - _origin.y}, view);
}

void PanGestureRecognizer::setTranslation(Point translation, const View* view)
{
    // The vector that, seen in view, is the translation, goes back to window coordinates.
    Point inWindow = translation;
    if (view) {
        if (auto window = view->window()) {
            Point a = view->convertPoint({0, 0}, window.get());
            Point b = view->convertPoint(translation, window.get());
            inWindow = {b.x - a.x, b.y - a.y};
        }
    }
    Point centroid = centroidInWindow();
    _origin = {centroid.x - inWindow.x, centroid.y - inWindow.y};
}

Point PanGestureRecognizer::velocityInView(const View* view) const
{
    return vectorInView(_velocity, view);
}

void PanGestureRecognizer::rebase(Point oldCentroid)
{
    // A finger joining or leaving moves the centroid; the translation must not jump.
    Point now = centroidInWindow();
    _origin.x += now.x - oldCentroid.x;
    _origin.y += now.y - oldCentroid.y;
}

void PanGestureRecognizer::addSample(double time)
{
    _samples.push_back({time, centroidInWindow()});
    while (_samples.size() > 2 && time - _samples.front().time > kVelocityWindowSeconds)
        _samples.pop_front();
    const Sample& first = _samples.front();
    const Sample& last = _samples.back();
    double dt = last.time - first.time;
    if (dt > 0)
        _velocity = {(last.centroid.x - first.centroid.x) / dt, (last.centroid.y - first.centroid.y) / dt};
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event)
{
    size_t count = numberOfTouches();
    if (count > _maximumTouches) {
        if (state() == GestureRecognizerState::Possible) {
            setState(GestureRecognizerState::Failed);
            return;
        }
        for (const auto& touch : touches)
            ignoreTouch(*touch);  // extra fingers do not join a running pan
        return;
    }
    if (count == touches.size()) {
        _origin = centroidInWindow();
        _samples.clear();
        _velocity = {};
    } else {
        // The centroid before these fingers came down.
        Point sum;
        size_t others = 0;
        for (const auto& touch : this->touches()) {
            bool isNew = false;
            for (const auto& added : touches)
                isNew = isNew || added.get() == touch.get();
            if (!isNew) {
                sum.x += touch->locationInWindow().x;
                sum.y += touch->locationInWindow().y;
                ++others;
            }
        }
        if (others > 0)
            rebase({sum.x / static_cast<double>(others), sum.y / static_cast<double>(others)});
    }
    addSample(event.timestamp());
}

void PanGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    addSample(event.timestamp());
    if (state() == GestureRecognizerState::Possible) {
        Point t = translationInView(nullptr);
        if (numberOfTouches() >= _minimumTouches && std::hypot(t.x, t.y) >= kHysteresis)
            setState(GestureRecognizerState::Began);
    } else if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed) {
        setState(GestureRecognizerState::Changed);
    }
}

void PanGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event)
{
    addSample(event.timestamp());
    size_t remaining = numberOfTouches() - std::min(numberOfTouches(), touches.size());
    if (remaining >= _minimumTouches && remaining > 0) {
        Point before = centroidInWindow();
        for (const auto& touch : touches)
            ignoreTouch(*touch);
        rebase(before);
        return;
    }
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Ended);
    else
        setState(GestureRecognizerState::Failed);
}

void PanGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Cancelled);
}

void PanGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _samples.clear();
    _velocity = {};
    _origin = {};
}

}  // namespace plat
