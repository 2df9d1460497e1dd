# SPDX-License-Identifier: Apache-2.0
# cmake -DOUTPUT=file -DINPUTS="a;b;c" -P concat.cmake: writes the inputs one after the other.
file(WRITE ${OUTPUT} "")
foreach(input ${INPUTS})
  file(READ ${input} text)
  file(APPEND ${OUTPUT} "${text}")
endforeach()
