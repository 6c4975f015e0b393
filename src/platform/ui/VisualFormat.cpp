#include "platform/ui/VisualFormat.h"

#include <cctype>
#include <cstdlib>
#include <optional>

#include "platform/foundation/Fatal.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/View.h"

namespace plat::detail {

namespace {

constexpr double kStandardSiblingSpacing = 8;
constexpr double kStandardSuperviewSpacing = 20;

struct Predicate {
    LayoutRelation relation = LayoutRelation::Equal;
    double constant = 0;
    std::shared_ptr<View> view;  // a view predicate naming another view
    LayoutPriority priority = LayoutPriorityRequired;
};

// A connection: no predicates and `standard` means the standard spacing.
struct Connection {
    bool standard = false;
    std::vector<Predicate> predicates;  // empty and not standard: touching
};

class Parser {
public:
    Parser(const std::string& format, uint64_t options, const std::map<std::string, double>& metrics,
        const std::map<std::string, std::shared_ptr<View>>& views)
        : _format(format)
        , _options(options)
        , _metrics(metrics)
        , _views(views)
    {
    }

    std::vector<std::shared_ptr<LayoutConstraint>> parse()
    {
        if (_format.rfind("H:", 0) == 0) {
            _pos = 2;
        } else if (_format.rfind("V:", 0) == 0) {
            _vertical = true;
            _pos = 2;
        }
        std::shared_ptr<View> previous;  // null: the superview's leading edge, when there is one
        bool fromSuperview = false;
        std::optional<Connection> pending;
        if (peek() == '|') {
            ++_pos;
            fromSuperview = true;
            pending = parseConnection();
        }
        std::vector<std::shared_ptr<View>> laidOut;
        while (true) {
            auto view = parseView();
            laidOut.push_back(view);
            if (pending && (previous || fromSuperview))
                connect(previous, view, *pending, /*toTrailingSuperview=*/false);
            else if (!pending && previous)
                connect(previous, view, Connection {}, false);
            previous = view;
            fromSuperview = false;
            pending.reset();
            if (atEnd())
                break;
            if (peek() == '|') {
                ++_pos;
                connect(previous, nullptr, Connection {}, /*toTrailingSuperview=*/true);
                break;
            }
            auto connection = parseConnection();
            if (peek() == '|') {
                ++_pos;
                connect(previous, nullptr, connection, /*toTrailingSuperview=*/true);
                break;
            }
            if (peek() != '[')
                fail("expected a view");
            pending = connection;
        }
        if (!atEnd())
            fail("unexpected text after the format");
        align(laidOut);
        return std::move(_constraints);
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        fatal("Unable to parse constraint format: {}\n{}\n{}^", what, _format, std::string(_pos, ' '));
    }

    bool atEnd() const { return _pos >= _format.size(); }
    char peek() const { return atEnd() ? '\0' : _format[_pos]; }
    void expect(char c)
    {
        if (peek() != c)
            fail(std::string("expected '") + c + "'");
        ++_pos;
    }

    std::string parseName()
    {
        size_t start = _pos;
        if (!(std::isalpha(static_cast<unsigned char>(peek())) || peek() == '_'))
            fail("expected a name");
        while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_')
            ++_pos;
        return _format.substr(start, _pos - start);
    }

    std::optional<double> parseNumber()
    {
        const char* begin = _format.c_str() + _pos;
        char* end = nullptr;
        if (!(std::isdigit(static_cast<unsigned char>(*begin)) || *begin == '-' || *begin == '.'))
            return std::nullopt;
        double value = std::strtod(begin, &end);
        if (end == begin)
            return std::nullopt;
        _pos += static_cast<size_t>(end - begin);
        return value;
    }

    double parseConstantOrMetric()
    {
        if (auto number = parseNumber())
            return *number;
        std::string name = parseName();
        auto metric = _metrics.find(name);
        if (metric == _metrics.end())
            fail("unknown metric \"" + name + "\"");
        return metric->second;
    }

    Predicate parsePredicate(bool viewsAllowed)
    {
        Predicate predicate;
        if (_format.compare(_pos, 2, "==") == 0) {
            _pos += 2;
        } else if (_format.compare(_pos, 2, "<=") == 0) {
            predicate.relation = LayoutRelation::LessThanOrEqual;
            _pos += 2;
        } else if (_format.compare(_pos, 2, ">=") == 0) {
            predicate.relation = LayoutRelation::GreaterThanOrEqual;
            _pos += 2;
        }
        if (auto number = parseNumber()) {
            predicate.constant = *number;
        } else {
            std::string name = parseName();
            if (auto metric = _metrics.find(name); metric != _metrics.end()) {
                predicate.constant = metric->second;
            } else if (auto view = _views.find(name); viewsAllowed && view != _views.end()) {
                predicate.view = view->second;
            } else {
                fail("unknown metric or view \"" + name + "\"");
            }
        }
        if (peek() == '@') {
            ++_pos;
            predicate.priority = static_cast<LayoutPriority>(parseConstantOrMetric());
        }
        return predicate;
    }

    std::vector<Predicate> parsePredicateList(bool viewsAllowed)
    {
        std::vector<Predicate> predicates;
        if (peek() != '(') {
            predicates.push_back(parsePredicate(viewsAllowed));
            return predicates;
        }
        ++_pos;
        predicates.push_back(parsePredicate(viewsAllowed));
        while (peek() == ',') {
            ++_pos;
            predicates.push_back(parsePredicate(viewsAllowed));
        }
        expect(')');
        return predicates;
    }

    Connection parseConnection()
    {
        Connection connection;
        if (peek() != '-')
            return connection;  // touching
        ++_pos;
        if (peek() == '[' || peek() == '|') {
            connection.standard = true;
            return connection;
        }
        connection.predicates = parsePredicateList(/*viewsAllowed=*/false);
        expect('-');
        return connection;
    }

    std::shared_ptr<View> parseView()
    {
        expect('[');
        std::string name = parseName();
        auto it = _views.find(name);
        if (it == _views.end() || !it->second)
            fail("unknown view \"" + name + "\"");
        auto view = it->second;
        if (peek() == '(') {
            for (const Predicate& predicate : parsePredicateList(/*viewsAllowed=*/true)) {
                LayoutAttribute size = _vertical ? LayoutAttribute::Height : LayoutAttribute::Width;
                auto constraint = std::make_shared<LayoutConstraint>(view, size, predicate.relation, predicate.view,
                    predicate.view ? size : LayoutAttribute::NotAnAttribute, 1, predicate.constant);
                constraint->setPriority(predicate.priority);
                _constraints.push_back(constraint);
            }
        }
        expect(']');
        return view;
    }

    LayoutAttribute leading() const
    {
        if (_vertical)
            return LayoutAttribute::Top;
        return (_options & LayoutFormatDirectionLeftToRight) ? LayoutAttribute::Left : LayoutAttribute::Leading;
    }
    LayoutAttribute trailing() const
    {
        if (_vertical)
            return LayoutAttribute::Bottom;
        return (_options & LayoutFormatDirectionLeftToRight) ? LayoutAttribute::Right : LayoutAttribute::Trailing;
    }

    // Spacing between the earlier item (null: the superview's leading edge)
    // and the later one (null: the superview's trailing edge).
    void connect(const std::shared_ptr<View>& earlier, const std::shared_ptr<View>& later, const Connection& connection,
        bool toTrailingSuperview)
    {
        bool superviewEdge = !earlier || toTrailingSuperview;
        std::vector<Predicate> predicates = connection.predicates;
        if (predicates.empty()) {
            Predicate spacing;
            spacing.constant
                = connection.standard ? (superviewEdge ? kStandardSuperviewSpacing : kStandardSiblingSpacing) : 0;
            predicates.push_back(spacing);
        }
        for (const Predicate& predicate : predicates) {
            std::shared_ptr<LayoutConstraint> constraint;
            if (toTrailingSuperview) {
                auto super = earlier->superview();
                if (!super)
                    fail("a view next to | has no superview");
                constraint = std::make_shared<LayoutConstraint>(
                    super, trailing(), predicate.relation, earlier, trailing(), 1, predicate.constant);
            } else if (!earlier) {
                auto super = later->superview();
                if (!super)
                    fail("a view next to | has no superview");
                constraint = std::make_shared<LayoutConstraint>(
                    later, leading(), predicate.relation, super, leading(), 1, predicate.constant);
            } else {
                constraint = std::make_shared<LayoutConstraint>(
                    later, leading(), predicate.relation, earlier, trailing(), 1, predicate.constant);
            }
            constraint->setPriority(predicate.priority);
            _constraints.push_back(constraint);
        }
    }

    void align(const std::vector<std::shared_ptr<View>>& views)
    {
        static constexpr std::pair<LayoutFormatOptions, LayoutAttribute> kAlignments[] = {
            {LayoutFormatAlignAllLeft, LayoutAttribute::Left},
            {LayoutFormatAlignAllRight, LayoutAttribute::Right},
            {LayoutFormatAlignAllTop, LayoutAttribute::Top},
            {LayoutFormatAlignAllBottom, LayoutAttribute::Bottom},
            {LayoutFormatAlignAllLeading, LayoutAttribute::Leading},
            {LayoutFormatAlignAllTrailing, LayoutAttribute::Trailing},
            {LayoutFormatAlignAllCenterX, LayoutAttribute::CenterX},
            {LayoutFormatAlignAllCenterY, LayoutAttribute::CenterY},
            {LayoutFormatAlignAllBaseline, LayoutAttribute::Baseline},
        };
        for (const auto& [option, attribute] : kAlignments) {
            if (!(_options & option))
                continue;
            for (size_t i = 1; i < views.size(); ++i)
                _constraints.push_back(std::make_shared<LayoutConstraint>(
                    views[i], attribute, LayoutRelation::Equal, views[i - 1], attribute, 1, 0));
        }
    }

    const std::string& _format;
    uint64_t _options;
    const std::map<std::string, double>& _metrics;
    const std::map<std::string, std::shared_ptr<View>>& _views;
    size_t _pos = 0;
    bool _vertical = false;
    std::vector<std::shared_ptr<LayoutConstraint>> _constraints;
};

}  // namespace

std::vector<std::shared_ptr<LayoutConstraint>> parseVisualFormat(const std::string& format, uint64_t options,
    const std::map<std::string, double>& metrics, const std::map<std::string, std::shared_ptr<View>>& views)
{
    // Spaces mean nothing in a format.
    std::string compact;
    for (char c : format)
        if (!std::isspace(static_cast<unsigned char>(c)))
            compact.push_back(c);
    return Parser(compact, options, metrics, views).parse();
}

}  // namespace plat::detail
