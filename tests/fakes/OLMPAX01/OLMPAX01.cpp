#include "../OLMPAX04/OLMPAX04.cpp"
