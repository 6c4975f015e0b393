#pragma once
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace plat {
class TableView;
}

namespace plat::detail {

// The column of section titles along a table's right edge: a touch on it,
// or a finger sliding along it, sends the table to the section of the
// title under the finger. The titles are labels, so drivers find them by
// text. Lives in its table, which it reaches through its superview.
class TableSectionIndex : public View {
public:
    static constexpr double kWidth = 15;

    TableSectionIndex();
    void setTitles(std::vector<std::string> titles);
    const std::vector<std::string>& titles() const { return _titles; }

    void layoutSubviews() override;
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet&, const Event&) override { }
    void touchesCancelled(const TouchSet&, const Event&) override { }
    // Drags along the index choose titles; they do not scroll the table.
    bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;

private:
    void choose(const TouchSet& touches);

    std::vector<std::string> _titles;
    int64_t _lastChosen = -1;
};

}  // namespace plat::detail
