# Writes the demo world's settings file to OUTPUT: a header word, then the 256 entries one
# a line, in the settings tool's own number form, lines ended by CR LF.
#   0 window mode: on        1 32-bit colour: off (16-bit)   2-8: 0
set(entries 1 0)
set(header "NIGHTLOOM_CONFIG")
set(text "${header}\r\n")
foreach(i RANGE 255)
  list(LENGTH entries count)
  if(i LESS count)
    list(GET entries ${i} value)
  else()
    set(value 0)
  endif()
  string(APPEND text " ${value} \r\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
