// Index sort: quicksort on median-of-three partitions with an explicit
// stack, straight insertion for pieces of at most seven elements.
#include "calibration/numerical_routines.h"

namespace
{
constexpr int insertion_limit = 7;
constexpr int stack_size = 50;

void swap_ints(int& a, int& b)
{
    const int t = a;
    a = b;
    b = t;
}

} // namespace

void indexx(int n, const double* arr, int* indx)
{
    int* stack = ivector(1, stack_size);
    int top = 0;
    int l = 1;
    int ir = n;
    for (int j = 1; j <= n; ++j)
        indx[j] = j;
    for (;;) {
        if (ir - l < insertion_limit) {
            for (int j = l + 1; j <= ir; ++j) {
                const int moved = indx[j];
                const double a = arr[moved];
                int i = j - 1;
                for (; i >= l; --i) {
                    if (arr[indx[i]] <= a)
                        break;
                    indx[i + 1] = indx[i];
                }
                indx[i + 1] = moved;
            }
            if (top == 0)
                break;
            ir = stack[top--];
            l = stack[top--];
        } else {
            const int k = (l + ir) / 2;
            swap_ints(indx[k], indx[l + 1]);
            if (arr[indx[l]] > arr[indx[ir]])
                swap_ints(indx[l], indx[ir]);
            if (arr[indx[l + 1]] > arr[indx[ir]])
                swap_ints(indx[l + 1], indx[ir]);
            if (arr[indx[l]] > arr[indx[l + 1]])
                swap_ints(indx[l], indx[l + 1]);
            int i = l + 1;
            int j = ir;
            const int pivot = indx[l + 1];
            const double a = arr[pivot];
            for (;;) {
                do
                    ++i;
                while (arr[indx[i]] < a);
                do
                    --j;
                while (arr[indx[j]] > a);
                if (j < i)
                    break;
                swap_ints(indx[i], indx[j]);
            }
            indx[l + 1] = indx[j];
            indx[j] = pivot;
            top += 2;
            if (top > stack_size)
                nr_fatal_error("NSTACK too small in indexx.");
            if (ir - i + 1 >= j - l) {
                stack[top] = ir;
                stack[top - 1] = i;
                ir = j - 1;
            } else {
                stack[top] = j - 1;
                stack[top - 1] = l;
                l = i;
            }
        }
    }
    free_ivector(stack, 1);
}
