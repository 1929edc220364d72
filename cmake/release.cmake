# The release date of this version: change it with the VERSION of project().
# The Time service never sets the clock before this day, and the packages'
# entries carry it.
set(KX_RELEASE_DATE 2026-12-07)
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" KX_RELEASE_MATCH ${KX_RELEASE_DATE})
# As plain decimals: a leading zero would make "08" an octal number in C.
math(EXPR KX_RELEASE_YEAR "${CMAKE_MATCH_1}")
math(EXPR KX_RELEASE_MONTH "${CMAKE_MATCH_2}")
math(EXPR KX_RELEASE_DAY "${CMAKE_MATCH_3}")
