# Turns a word list (one word per line, LF) into the program's spelling dictionary ENGLISH.DCT:
# the same words, lines ending CR LF as every file of the program.
#   cmake -DWORDS=<list> -DOUT=<ENGLISH.DCT> -P make_dictionary.cmake
file(READ "${WORDS}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
