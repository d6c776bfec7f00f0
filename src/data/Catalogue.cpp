// Placeholder: the full catalogue is laid in by the schema work.
#include "data/Schema.h"

namespace orvix::data {

const std::vector<TableDef>& catalogue() {
    static const std::vector<TableDef> tables = {
        {"vat", {{"vat", FieldType::Char, 3}, {"bankszamla", FieldType::VarChar, 50}}, {"vat"}, {},
         {{{"vat"}, {"HUF"}}, {{"vat"}, {"EUR"}}, {{"vat"}, {"USD"}}}},
    };
    return tables;
}

} // namespace orvix::data
