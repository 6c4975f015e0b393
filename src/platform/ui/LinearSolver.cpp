#include "platform/ui/LinearSolver.h"

#include <cmath>
#include <limits>

#include "platform/foundation/Fatal.h"

namespace plat::detail {

namespace {

constexpr double kEpsilon = 1.0e-8;

bool nearZero(double value)
{
    return std::abs(value) < kEpsilon;
}

}  // namespace

// A row of the tableau: basic symbol = constant + sum(coefficient * symbol).
struct LinearSolver::Row {
    double constant = 0;
    std::map<Symbol, double> cells;

    void insert(const Symbol& symbol, double coefficient)
    {
        double& cell = cells[symbol];
        cell += coefficient;
        if (nearZero(cell))
            cells.erase(symbol);
    }
    void insert(const Row& other, double coefficient)
    {
        constant += other.constant * coefficient;
        for (const auto& [symbol, cell] : other.cells)
            insert(symbol, cell * coefficient);
    }
    void remove(const Symbol& symbol) { cells.erase(symbol); }
    void reverseSign()
    {
        constant = -constant;
        for (auto& [symbol, cell] : cells)
            cell = -cell;
    }
    // Makes the row read symbol = ... (the symbol must be in it).
    void solveFor(const Symbol& symbol)
    {
        double coefficient = -1.0 / cells.at(symbol);
        cells.erase(symbol);
        constant *= coefficient;
        for (auto& [other, cell] : cells)
            cell *= coefficient;
    }
    // Row of lhs = ..., solved for rhs instead.
    void solveFor(const Symbol& lhs, const Symbol& rhs)
    {
        insert(lhs, -1.0);
        solveFor(rhs);
    }
    double coefficientFor(const Symbol& symbol) const
    {
        auto it = cells.find(symbol);
        return it == cells.end() ? 0.0 : it->second;
    }
    void substitute(const Symbol& symbol, const Row& row)
    {
        auto it = cells.find(symbol);
        if (it == cells.end())
            return;
        double coefficient = it->second;
        cells.erase(it);
        insert(row, coefficient);
    }
};

LinearSolver::LinearSolver()
    : _objective(std::make_unique<Row>())
{
}

LinearSolver::~LinearSolver() = default;

LinearSolver::Symbol LinearSolver::newSymbol(Symbol::Type type)
{
    return Symbol {_nextId++, type};
}

LinearSolver::Variable LinearSolver::addVariable()
{
    _variables.push_back(newSymbol(Symbol::Type::External));
    return static_cast<Variable>(_variables.size() - 1);
}

double LinearSolver::value(Variable variable) const
{
    auto it = _rows.find(_variables.at(static_cast<size_t>(variable)));
    return it == _rows.end() ? 0.0 : it->second->constant;
}

bool LinearSolver::addConstraint(const Expression& expression, Relation relation, double weight)
{
    Tag tag;
    auto row = createRow(expression, relation, weight, tag);
    Symbol subject = chooseSubject(*row, tag);
    if (!subject.valid()) {
        bool onlyDummies = true;
        for (const auto& [symbol, cell] : row->cells)
            onlyDummies = onlyDummies && symbol.type == Symbol::Type::Dummy;
        if (onlyDummies) {
            if (!nearZero(row->constant))
                return false;
            subject = tag.marker;
        }
    }
    if (!subject.valid()) {
        // A failed try leaves the tableau changed: keep it to put back.
        std::map<Symbol, std::unique_ptr<Row>> savedRows;
        for (const auto& [symbol, basic] : _rows)
            savedRows[symbol] = std::make_unique<Row>(*basic);
        Row savedObjective = *_objective;
        if (!addWithArtificialVariable(*row)) {
            _rows = std::move(savedRows);
            *_objective = std::move(savedObjective);
            return false;
        }
    } else {
        row->solveFor(subject);
        substitute(subject, *row);
        _rows[subject] = std::move(row);
    }
    optimize(*_objective);
    return true;
}

std::unique_ptr<LinearSolver::Row> LinearSolver::createRow(
    const Expression& expression, Relation relation, double weight, Tag& tag)
{
    auto row = std::make_unique<Row>();
    row->constant = expression.constant;
    for (const Term& term : expression.terms) {
        if (nearZero(term.coefficient))
            continue;
        const Symbol& symbol = _variables.at(static_cast<size_t>(term.variable));
        auto basic = _rows.find(symbol);
        if (basic != _rows.end())
            row->insert(*basic->second, term.coefficient);
        else
            row->insert(symbol, term.coefficient);
    }
    bool required = weight == kRequired;
    if (relation == Relation::Equal) {
        if (required) {
            tag.marker = newSymbol(Symbol::Type::Dummy);
            row->insert(tag.marker, 1.0);
        } else {
            tag.marker = newSymbol(Symbol::Type::Error);
            tag.other = newSymbol(Symbol::Type::Error);
            row->insert(tag.marker, -1.0);
            row->insert(tag.other, 1.0);
            _objective->insert(tag.marker, weight);
            _objective->insert(tag.other, weight);
        }
    } else {
        double coefficient = relation == Relation::LessOrEqual ? 1.0 : -1.0;
        tag.marker = newSymbol(Symbol::Type::Slack);
        row->insert(tag.marker, coefficient);
        if (!required) {
            tag.other = newSymbol(Symbol::Type::Error);
            row->insert(tag.other, -coefficient);
            _objective->insert(tag.other, weight);
        }
    }
    if (row->constant < 0)
        row->reverseSign();
    return row;
}

LinearSolver::Symbol LinearSolver::chooseSubject(const Row& row, const Tag& tag) const
{
    for (const auto& [symbol, cell] : row.cells)
        if (symbol.type == Symbol::Type::External)
            return symbol;
    auto pivotable = [](const Symbol& s) { return s.type == Symbol::Type::Slack || s.type == Symbol::Type::Error; };
    if (pivotable(tag.marker) && row.coefficientFor(tag.marker) < 0)
        return tag.marker;
    if (pivotable(tag.other) && row.coefficientFor(tag.other) < 0)
        return tag.other;
    return {};
}

bool LinearSolver::addWithArtificialVariable(const Row& row)
{
    Symbol artificial = newSymbol(Symbol::Type::Slack);
    _rows[artificial] = std::make_unique<Row>(row);
    _artificial = std::make_unique<Row>(row);
    optimize(*_artificial);
    bool feasible = nearZero(_artificial->constant);
    _artificial.reset();
    auto it = _rows.find(artificial);
    if (it != _rows.end()) {
        auto basic = std::move(it->second);
        _rows.erase(it);
        if (basic->cells.empty())
            return feasible;
        Symbol entering;
        for (const auto& [symbol, cell] : basic->cells)
            if (symbol.type == Symbol::Type::Slack || symbol.type == Symbol::Type::Error) {
                entering = symbol;
                break;
            }
        if (!entering.valid())
            return false;
        basic->solveFor(artificial, entering);
        substitute(entering, *basic);
        _rows[entering] = std::move(basic);
    }
    for (auto& [symbol, basic] : _rows)
        basic->remove(artificial);
    _objective->remove(artificial);
    return feasible;
}

void LinearSolver::substitute(const Symbol& symbol, const Row& row)
{
    for (auto& [basic, other] : _rows)
        other->substitute(symbol, row);
    _objective->substitute(symbol, row);
    if (_artificial)
        _artificial->substitute(symbol, row);
}

LinearSolver::Symbol LinearSolver::enteringSymbol(const Row& objective) const
{
    for (const auto& [symbol, cell] : objective.cells)
        if (symbol.type != Symbol::Type::Dummy && cell < 0)
            return symbol;
    return {};
}

std::map<LinearSolver::Symbol, std::unique_ptr<LinearSolver::Row>>::iterator LinearSolver::leavingRow(
    const Symbol& entering)
{
    double ratio = std::numeric_limits<double>::max();
    auto found = _rows.end();
    for (auto it = _rows.begin(); it != _rows.end(); ++it) {
        if (it->first.type == Symbol::Type::External)
            continue;
        double coefficient = it->second->coefficientFor(entering);
        if (coefficient < 0) {
            double candidate = -it->second->constant / coefficient;
            if (candidate < ratio) {
                ratio = candidate;
                found = it;
            }
        }
    }
    return found;
}

void LinearSolver::optimize(Row& objective)
{
    // Enough pivots for any layout; more means the tableau cycles, a bug here.
    constexpr int kMaximumPivots = 100000;
    for (int pivot = 0; pivot < kMaximumPivots; ++pivot) {
        Symbol entering = enteringSymbol(objective);
        if (!entering.valid())
            return;
        auto leaving = leavingRow(entering);
        if (leaving == _rows.end())
            fatal("LinearSolver: the objective is unbounded");
        Symbol leavingSymbol = leaving->first;
        auto row = std::move(leaving->second);
        _rows.erase(leaving);
        row->solveFor(leavingSymbol, entering);
        substitute(entering, *row);
        _rows[entering] = std::move(row);
    }
    fatal("LinearSolver: no optimum after {} pivots", kMaximumPivots);
}

}  // namespace plat::detail
