#pragma once

#include "RecordCommands.h"

// The expense log's edits, one command each (see DocumentCommand.h).

class CNewExpenseCommand final : public CAddRecordCommand<ExpenseStore> {
public:
    CNewExpenseCommand(CTvDeskDoc& document, ExpenseRecord expense)
        : CAddRecordCommand(document, std::move(expense), document.Expenses().IdCounter,
                            "New Expense") {}
};

class CEditExpenseCommand final : public CEditRecordCommand<ExpenseStore> {
public:
    CEditExpenseCommand(CTvDeskDoc& document, std::uint32_t index, ExpenseRecord before,
                        ExpenseRecord after)
        : CEditRecordCommand(document, index, std::move(before), std::move(after), "Edit Expense") {
    }
};

class CDeleteExpensesCommand final : public CMarkDeletedCommand {
public:
    CDeleteExpensesCommand(CTvDeskDoc& document, const IndexRuns& expenses)
        : CMarkDeletedCommand(
              document, {{StoreKind::Expenses, Unmarked(document, StoreKind::Expenses, expenses)}},
              CountedText("Delete", expenses.Count(), "Expense", "Expenses")) {}
};

class CChangeExpenseCategoryCommand final : public CRefileCommand {
public:
    CChangeExpenseCategoryCommand(CTvDeskDoc& document, const IndexRuns& expenses,
                                  std::uint32_t category)
        : CRefileCommand(document, StoreKind::Expenses, expenses, category,
                         expenses.Count() == 1
                             ? QString("Change Category of Expense")
                             : QString("Change Category of %1 Expenses").arg(expenses.Count())) {}
};
