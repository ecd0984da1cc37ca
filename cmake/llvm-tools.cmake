# LLVM's Visual C++-compatible tools (Debian 12: clang-tools-14, lld-14,
# llvm-14): llvm-dlltool makes import libraries in Visual C++'s own format, and
# clang-cl with lld-link builds a host the way Visual C++ does.
find_program(NUNTIO_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 HINTS /usr/lib/llvm-14/bin REQUIRED)
find_program(NUNTIO_CLANG_CL NAMES clang-cl clang-cl-14 HINTS /usr/lib/llvm-14/bin REQUIRED)
find_program(NUNTIO_LLD_LINK NAMES lld-link lld-link-14 HINTS /usr/lib/llvm-14/bin REQUIRED)
