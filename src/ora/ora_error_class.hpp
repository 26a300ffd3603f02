// Oracle errors after which the next statements fail the same way: space
// the server cannot find (tablespace full, quota used up), and a session
// that is gone (the classification ODPI-C uses for a lost connection).
#pragma once

class ora_error_class {
 public:
  // ORA-01536, 01652, 01653, 01654, 01658, 01688, 01691, 30036.
  static bool out_of_space(int ora_number);
  // ORA-00028, 01012, 01089, 01092, 02396, 03113, 03114, 03135, 12537,
  // 12547, 12570.
  static bool connection_lost(int ora_number);
};
