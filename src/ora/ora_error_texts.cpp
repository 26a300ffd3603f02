#include "ora_error_texts.hpp"

#include "ora_exception.hpp"

namespace {
const tk_error_text rows[] = {
    {ora_exception::code_of(1),
     "Duplicate field values being used for an unique index were found.\n"
     "See 'Troubleshooting' article of the product documentation\nfor solution."},
    {ora_exception::code_of(1017), "Invalid user name or password."},
    {ora_exception::code_of(1658),
     "Not enough free contiguous space in the tablespace to create the object.\n"
     "Use ALTER TABLESPACE ADD DATAFILE to add additional space to the tablespace."},
    {ora_exception::code_of(1950), "User does not have the necessary privileges to create tables."},
    {ora_exception::code_of(2298),
     "There are orphaned records that prevent from creating foreign key. For more\n"
     "information see Troubleshooting article of the product documentation."},
    {ora_exception::code_of(12154),
     "Oracle data source does not exist. Check to verify the correct name was given."},
    {ora_exception::code_of(12500),
     "ORA-12500: the listener could not start a server process. For more information\n"
     "see Troubleshooting article of the product documentation."},
    {ora_exception::code_of(12505),
     "ORA-12505: the program could not resolve service name. For more information\n"
     "see Troubleshooting article of the product documentation."},
    {ora_exception::code_of(12514),
     "Cannot resolve Oracle service name. Check to verify the correct name was given.\n"},
    {ora_exception::code_of(12541),
     "ORA-12541: no listener. For more information see Troubleshooting\n"
     "article of the product documentation."},
    {ora_exception::code_of(12545),
     "ORA-12545: connect failed because target host or object does not exist.\n"
     "For more information see Troubleshooting article of the product documentation."},
    {ora_exception::code_of(28000),
     "Wrong password was entered the maximum number of times or\n"
     "the DBA has locked the account."},
};
}  // namespace

const tk_error_text* ora_error_texts::table() { return rows; }
std::size_t ora_error_texts::count() { return sizeof rows / sizeof rows[0]; }
