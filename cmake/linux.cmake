message(FATAL_ERROR "the Linux build comes next")
