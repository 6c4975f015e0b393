#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace plat::detail {

// An incremental simplex solver for linear equalities and inequalities with
// strengths, after the Cassowary algorithm: required constraints hold
// exactly (or are refused when they cannot), weaker ones are met as well
// as their weights allow, the error of each weighed against the others.
// Variables without any constraint read 0. Built anew for each layout
// pass (it never removes constraints). Not thread-safe; one layout at a time.
class LinearSolver {
public:
    using Variable = int;
    struct Term {
        Variable variable;
        double coefficient;
    };
    // The sum of the terms plus the constant.
    struct Expression {
        std::vector<Term> terms;
        double constant = 0;
    };
    enum class Relation { LessOrEqual, Equal, GreaterOrEqual };
    static constexpr double kRequired = -1;

    LinearSolver();
    ~LinearSolver();
    LinearSolver(const LinearSolver&) = delete;
    LinearSolver& operator=(const LinearSolver&) = delete;

    Variable addVariable();
    // expression (relation) 0, required (kRequired) or with a positive
    // weight. False, and the constraint left out, when a required one
    // contradicts those already added.
    bool addConstraint(const Expression& expression, Relation relation, double weight);
    double value(Variable variable) const;

private:
    struct Symbol {
        enum class Type { Invalid, External, Slack, Error, Dummy };
        uint64_t id = 0;
        Type type = Type::Invalid;
        bool valid() const { return type != Type::Invalid; }
        friend bool operator<(const Symbol& a, const Symbol& b) { return a.id < b.id; }
        friend bool operator==(const Symbol& a, const Symbol& b) { return a.id == b.id; }
    };
    struct Row;
    struct Tag {
        Symbol marker;
        Symbol other;
    };

    Symbol newSymbol(Symbol::Type type);
    std::unique_ptr<Row> createRow(const Expression& expression, Relation relation, double weight, Tag& tag);
    Symbol chooseSubject(const Row& row, const Tag& tag) const;
    bool addWithArtificialVariable(const Row& row);
    void substitute(const Symbol& symbol, const Row& row);
    void optimize(Row& objective);
    Symbol enteringSymbol(const Row& objective) const;
    std::map<Symbol, std::unique_ptr<Row>>::iterator leavingRow(const Symbol& entering);

    uint64_t _nextId = 1;
    std::vector<Symbol> _variables;
    std::map<Symbol, std::unique_ptr<Row>> _rows;
    std::unique_ptr<Row> _objective;
    std::unique_ptr<Row> _artificial;
};

}  // namespace plat::detail
