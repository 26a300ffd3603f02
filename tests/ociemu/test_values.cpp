#include "oci_test_session.hpp"
