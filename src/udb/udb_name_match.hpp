// How two names compare: table names of a database, source column names.
#pragma once

enum class udb_name_match {
  exact,  // code unit by code unit
  ignoring_case,
};
