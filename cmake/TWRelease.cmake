# Derives the other forms of the suite's release TW_RELEASE ("1.00.0001b": major, minor and
# build number, then an optional letter):
#   TW_NUMERIC_VERSION  "1.0.1", the form CMake's project() and package version files take;
#   TW_DEBIAN_VERSION   the version of the Debian package (a native package, no revision).
if(NOT TW_RELEASE MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)([a-z]?)$")
  message(FATAL_ERROR "TW_RELEASE '${TW_RELEASE}' is not of the form 1.00.0001 or 1.00.0001b")
endif()
# math() drops the leading zeros of each part.
math(EXPR tw_major "${CMAKE_MATCH_1}")
math(EXPR tw_minor "${CMAKE_MATCH_2}")
math(EXPR tw_build "${CMAKE_MATCH_3}")
set(TW_NUMERIC_VERSION "${tw_major}.${tw_minor}.${tw_build}")
# Debian compares digits numerically and letters after them, so 1.00.0001b sorts after
# 1.00.0001 and before 1.00.0002: the release text is a valid Debian version as it is.
set(TW_DEBIAN_VERSION "${TW_RELEASE}")
unset(tw_major)
unset(tw_minor)
unset(tw_build)
