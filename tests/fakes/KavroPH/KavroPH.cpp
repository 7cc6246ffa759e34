#include "../Norvel/Norvel.cpp"
